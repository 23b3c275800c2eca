#include "app/progress_bar.h"

#include <algorithm>

namespace plix::sandbox {

ProgressBar::ProgressBar(std::ostream &out, long long total, std::string unit, bool enabled)
    : out_(out), total_(std::max(total, 1LL)), unit_(std::move(unit)), enabled_(enabled) {}

ProgressBar::~ProgressBar() { finish(); }

void ProgressBar::update(long long done) {
    if (!enabled_) return;
    const auto now = std::chrono::steady_clock::now();
    if (drawn_ && done < total_ && now - lastDraw_ < std::chrono::milliseconds(100)) return;
    lastDraw_ = now;
    draw(done);
}

void ProgressBar::draw(long long done) {
    constexpr int width = 40;
    const long long clamped = std::clamp(done, 0LL, total_);
    const int filled = static_cast<int>(clamped * width / total_);
    out_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(width - filled), '.') << "] " << clamped << "/" << total_ << " "
         << unit_ << std::flush;
    drawn_ = true;
}

void ProgressBar::finish() {
    if (!enabled_ || !drawn_) return;
    out_ << "\r" << std::string(60 + unit_.size(), ' ') << "\r" << std::flush;
    drawn_ = false;
}

} // namespace plix::sandbox

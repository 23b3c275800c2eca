// A progress bar drawn in place on one line of a stream (stderr), for
// terminals only: when disabled it writes nothing at all.
#pragma once

#include <chrono>
#include <ostream>
#include <string>

namespace plix::sandbox {

class ProgressBar {
public:
    ProgressBar(std::ostream &out, long long total, std::string unit, bool enabled);
    ~ProgressBar();
    ProgressBar(const ProgressBar &) = delete;
    ProgressBar &operator=(const ProgressBar &) = delete;

    // Redraws at most about ten times a second, and always at the end.
    void update(long long done);
    // Clears the line so that what follows starts on a clean line.
    void finish();

private:
    void draw(long long done);

    std::ostream &out_;
    long long total_;
    std::string unit_;
    bool enabled_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point lastDraw_{};
};

} // namespace plix::sandbox

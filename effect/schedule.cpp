#include "effect/schedule.h"

#include <limits>

namespace plix {
// 64-bit intermediates (and 128-bit for i x P) equal the 32-bit formulas
// wherever those do not overflow, and never overflow themselves.
SparkSchedule::SparkSchedule(const SparkSettings &sparks, int32_t firstIndex) noexcept
    : noEmission_(sparks.birthRate == 0), recycling_(false), wideProduct_(false),
      frame_(sparks.frame), start_(sparks.startFrame), count_(sparks.pointCount), period_(0),
      countReal_(static_cast<double>(sparks.pointCount)), periodSeconds_(0.0),
      startSeconds_(static_cast<double>(sparks.startFrame) * secondsPerFrame), time_(sparks.time),
      frameReal_(static_cast<double>(sparks.frame)), product_(0), wide_(0), offset_(0),
      remainder_(0), offsetStep_(0), remainderStep_(0), cycle_(0), cycleSeconds_(0.0),
      cycleLow_(0), cycleHigh_(-1) {
    if (noEmission_ || count_ <= 0) return;
    const int64_t rate = sparks.birthRate;
    period_ = (30 * count_) / rate;
    periodSeconds_ = countReal_ / static_cast<double>(rate);
    recycling_ = sparks.recycle == 1 && period_ != 0;
    offsetStep_ = period_ / count_;
    remainderStep_ = period_ % count_;
    const Int128 first = static_cast<Int128>(firstIndex) * period_;
    offset_ = static_cast<int64_t>(first / count_);
    remainder_ = static_cast<int64_t>(first % count_);
    // The walk steps once past the last spark, so the bound is |P| x N.
    const Int128 largest = static_cast<Int128>(period_ < 0 ? -period_ : period_) * count_;
    wideProduct_ = largest > std::numeric_limits<int64_t>::max();
    if (wideProduct_) wide_ = first;
    else product_ = static_cast<int64_t>(first);
    if (!recycling_) enterCycleOf(0); // cycle 0 for every spark
}

// The cycle number (F - S - O) / P, truncated toward zero, and the range of
// F - S - O over which that quotient holds: [-(|P|-1), |P|-1] for cycle 0,
// else |P| consecutive values from C x P away from zero.
void SparkSchedule::enterCycleOf(int64_t sinceStart) noexcept {
    cycle_ = recycling_ ? sinceStart / period_ : 0;
    cycleSeconds_ = static_cast<double>(cycle_) * periodSeconds_ + startSeconds_;
    if (!recycling_) {
        cycleLow_ = std::numeric_limits<int64_t>::min();
        cycleHigh_ = std::numeric_limits<int64_t>::max();
        return;
    }
    const int64_t span = (period_ < 0 ? -period_ : period_) - 1;
    const int64_t base = cycle_ * period_;
    if (cycle_ == 0) {
        cycleLow_ = -span;
        cycleHigh_ = span;
    } else if (base > 0) {
        cycleLow_ = base;
        cycleHigh_ = base + span;
    } else {
        cycleLow_ = base - span;
        cycleHigh_ = base;
    }
}

} // namespace plix

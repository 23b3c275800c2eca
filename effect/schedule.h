// The birth schedule of consecutive sparks within one frame. What is the same
// for every spark of the frame (period, period in seconds, start time) is
// formed once; the birth offset i x P / N and the cycle number follow the
// spark index by exact integer steps instead of a division per spark.
#pragma once

#include <cstdint>

#include "effect/spark_types.h"

namespace plix {

class SparkSchedule {
public:
    // Positioned at spark `firstIndex` (0 <= firstIndex < pointCount) for the
    // settings' current frame and time.
    SparkSchedule(const SparkSettings &sparks, int32_t firstIndex) noexcept;

    // Schedules the current spark into `dead` and `birthTime` and moves on to
    // the next index. With a birth rate of 0 nothing is ever born: `dead` is
    // set and `birthTime` is left as it was.
    void next(int32_t lifetime, uint8_t &dead, double &birthTime) noexcept;

private:
    __extension__ typedef __int128 Int128;

    void enterCycleOf(int64_t sinceStart) noexcept;

    static constexpr double secondsPerFrame = 0.03333333333333333; // the double nearest 1/30
    static constexpr double framesPerSecond = 30.0;

    bool noEmission_;
    bool recycling_;
    bool wideProduct_; // i x P may leave the 64-bit range
    int64_t frame_, start_, count_, period_;
    double countReal_, periodSeconds_, startSeconds_, time_, frameReal_;
    // Spark i's offset product i x P, its quotient by N (truncated toward
    // zero) and the remainder, whose sign is that of the product.
    int64_t product_;
    Int128 wide_;
    int64_t offset_, remainder_;
    int64_t offsetStep_, remainderStep_; // P / N and P % N
    // The cycle number in force, its part of the birth time
    // (C x D + S x 1/30), and the range of F - S - O that keeps it.
    int64_t cycle_;
    double cycleSeconds_;
    int64_t cycleLow_, cycleHigh_;
};

inline void SparkSchedule::next(int32_t lifetime, uint8_t &dead, double &birthTime) noexcept {
    if (noEmission_) {
        dead = 1;
        return;
    }
    uint8_t notInFlight = frame_ < start_ + offset_ ? 1 : 0;
    const int64_t sinceStart = frame_ - start_ - offset_;
    if (sinceStart < cycleLow_ || sinceStart > cycleHigh_) enterCycleOf(sinceStart);
    const double productReal =
        wideProduct_ ? static_cast<double>(wide_) : static_cast<double>(product_);
    const double exactOffset = productReal / countReal_;
    const double birth = cycleSeconds_ + exactOffset * secondsPerFrame;
    if (birth > time_) notInFlight = 1;
    if (frameReal_ > birth * framesPerSecond + static_cast<double>(lifetime)) notInFlight = 1;
    dead = notInFlight;
    birthTime = birth;

    // On to spark i + 1: the product grows by P, the quotient by P / N, the
    // remainder by P % N, carrying once when it reaches N in magnitude.
    if (wideProduct_) wide_ += period_;
    else product_ += period_;
    offset_ += offsetStep_;
    remainder_ += remainderStep_;
    if (period_ >= 0) {
        if (remainder_ >= count_) {
            remainder_ -= count_;
            ++offset_;
        }
    } else if (remainder_ <= -count_) {
        remainder_ += count_;
        --offset_;
    }
}

} // namespace plix

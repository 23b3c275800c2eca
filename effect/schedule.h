// The birth schedule of consecutive sparks within one frame. What is the same
// for every spark of the frame (period, period in seconds, start time) is
// formed once; the birth offset i x P / N and the cycle number follow the
// spark index by exact integer steps instead of divisions per spark.
//
// 64-bit intermediates (and 128-bit for i x P where needed) equal the 32-bit
// formulas wherever those do not overflow, and never overflow themselves.
#pragma once

#include <cstdint>
#include <limits>

#include "effect/spark_types.h"

namespace plix {

__extension__ typedef __int128 Int128;

// The cycle number C = (F - S - O) / P in force, truncated toward zero, its
// part of the birth time (C x D + S x 1/30), and the range of F - S - O over
// which that quotient holds: [-(|P|-1), |P|-1] for cycle 0, else |P|
// consecutive values from C x P away from zero.
struct ScheduleCycle {
    int64_t number;
    double seconds;
    int64_t low, high;

    static ScheduleCycle of(int64_t sinceStart, int64_t period, bool recycling, double periodSeconds,
                            double startSeconds) noexcept {
        ScheduleCycle c;
        c.number = recycling ? sinceStart / period : 0;
        c.seconds = static_cast<double>(c.number) * periodSeconds + startSeconds;
        if (!recycling) { // cycle 0 for every spark
            c.low = std::numeric_limits<int64_t>::min();
            c.high = std::numeric_limits<int64_t>::max();
            return c;
        }
        const int64_t span = (period < 0 ? -period : period) - 1;
        const int64_t base = c.number * period;
        if (c.number == 0) {
            c.low = -span;
            c.high = span;
        } else if (base > 0) {
            c.low = base;
            c.high = base + span;
        } else {
            c.low = base - span;
            c.high = base;
        }
        return c;
    }
};

// The frame's schedule constants.
struct ScheduleFrame {
    static constexpr double secondsPerFrame = 0.03333333333333333; // the double nearest 1/30
    static constexpr double framesPerSecond = 30.0;

    bool noEmission; // birth rate 0: no period, nothing is ever born
    bool recycling;
    int64_t frame, start, count, period;
    double countReal, periodSeconds, startSeconds, time, frameReal;

    explicit ScheduleFrame(const SparkSettings &sparks) noexcept
        : noEmission(sparks.birthRate == 0 || sparks.pointCount <= 0), recycling(false),
          frame(sparks.frame), start(sparks.startFrame), count(sparks.pointCount), period(0),
          countReal(static_cast<double>(sparks.pointCount)), periodSeconds(0.0),
          startSeconds(static_cast<double>(sparks.startFrame) * secondsPerFrame), time(sparks.time),
          frameReal(static_cast<double>(sparks.frame)) {
        if (noEmission) return;
        period = (30 * count) / sparks.birthRate;
        periodSeconds = countReal / static_cast<double>(sparks.birthRate);
        recycling = sparks.recycle == 1 && period != 0;
    }

    // Whether i x P stays within 64 bits for every i up to N (the walk steps
    // once past the last spark).
    bool productFits64() const noexcept {
        return static_cast<Int128>(period < 0 ? -period : period) * count <=
               std::numeric_limits<int64_t>::max();
    }
};

// Walks the sparks from `firstIndex` on. `Product` holds i x P: int64_t when
// the frame's productFits64(), else Int128.
template <class Product>
class ScheduleWalk {
public:
    ScheduleWalk(const ScheduleFrame &frame, int32_t firstIndex) noexcept : f_(frame) {
        if (f_.noEmission) return;
        offsetStep_ = f_.period / f_.count;
        remainderStep_ = f_.period % f_.count;
        const Int128 first = static_cast<Int128>(firstIndex) * f_.period;
        product_ = static_cast<Product>(first);
        offset_ = static_cast<int64_t>(first / f_.count);
        remainder_ = static_cast<int64_t>(first % f_.count);
        cycle_ = ScheduleCycle::of(f_.frame - f_.start - offset_, f_.period, f_.recycling,
                                   f_.periodSeconds, f_.startSeconds);
    }

    // Schedules the current spark into `dead` and `birthTime` and moves on to
    // the next index. With no emission `dead` is set and `birthTime` left.
    void next(int32_t lifetime, uint8_t &dead, double &birthTime) noexcept {
        if (f_.noEmission) {
            dead = 1;
            return;
        }
        uint8_t notInFlight = f_.frame < f_.start + offset_ ? 1 : 0;
        const int64_t sinceStart = f_.frame - f_.start - offset_;
        if (sinceStart < cycle_.low || sinceStart > cycle_.high)
            cycle_ = ScheduleCycle::of(sinceStart, f_.period, f_.recycling, f_.periodSeconds,
                                       f_.startSeconds);
        const double exactOffset = static_cast<double>(product_) / f_.countReal;
        const double birth = cycle_.seconds + exactOffset * ScheduleFrame::secondsPerFrame;
        if (birth > f_.time) notInFlight = 1;
        if (f_.frameReal > birth * ScheduleFrame::framesPerSecond + static_cast<double>(lifetime))
            notInFlight = 1;
        dead = notInFlight;
        birthTime = birth;

        // On to spark i + 1: the product grows by P, the quotient by P / N and
        // the remainder by P % N, carrying once when it reaches N in size.
        product_ += f_.period;
        offset_ += offsetStep_;
        remainder_ += remainderStep_;
        if (f_.period >= 0) {
            if (remainder_ >= f_.count) {
                remainder_ -= f_.count;
                ++offset_;
            }
        } else if (remainder_ <= -f_.count) {
            remainder_ += f_.count;
            --offset_;
        }
    }

private:
    const ScheduleFrame f_;
    // i x P, its quotient by N truncated toward zero, and the remainder,
    // whose sign is that of the product.
    Product product_ = 0;
    int64_t offset_ = 0, remainder_ = 0;
    int64_t offsetStep_ = 0, remainderStep_ = 0; // P / N and P % N
    ScheduleCycle cycle_ = {};
};

} // namespace plix

// Prints, bit for bit, every value of the effect that depends on the C
// library's cosine and sine: cos and sin of each whole degree from -360 to 360
// (with the effect's own degrees-to-radians factor), then the launch
// velocities and lifetimes drawn for sparks whose elevations run over that
// whole range, and for sparks with the default settings. Two builds of the
// module's sources (Linux, and Windows under wine) print the same lines; the
// values are compared with `compare_runs values`.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "effect/launch.h"
#include "effect/spark_types.h"

namespace {

// 3.1415 / 180, as the effect turns whole degrees into radians.
constexpr double degreesToRadians = 0.01745277777777778;

void print(const char *label, long index, std::initializer_list<double> values) {
    std::printf("%s %ld", label, index);
    for (double v : values) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        std::printf(" %016" PRIx64, bits);
    }
    std::printf("\n");
}

void printLaunches(const char *label, int32_t spreadMin, int32_t spreadMax, int32_t count) {
    std::vector<SparkPoint> points(static_cast<std::size_t>(count));
    SparkSettings sparks{};
    sparks.pointCount = count;
    sparks.points = points.data();
    sparks.v0Min = 1.0;
    sparks.v0Max = 4.0;
    sparks.spreadMin = spreadMin;
    sparks.spreadMax = spreadMax;
    sparks.ageMin = 10;
    sparks.ageMax = 60;
    randomiseVelocities(sparks);
    randomiseLifetimes(sparks);
    for (int32_t i = 0; i < count; ++i) {
        const SparkPoint &p = points[static_cast<std::size_t>(i)];
        print(label, i, {p.velocity[0], p.velocity[1], p.velocity[2], static_cast<double>(p.lifetime)});
    }
}

} // namespace

int main() {
    for (int degrees = -360; degrees <= 360; ++degrees) {
        const double radians = static_cast<double>(degrees) * degreesToRadians;
        print("cos", degrees, {std::cos(radians)});
        print("sin", degrees, {std::sin(radians)});
    }
    // Elevations -360 ... 360 (spreadMax - 90 = 360, a range of 721 degrees).
    printLaunches("launch-all-angles", -271, 450, 20000);
    printLaunches("launch-defaults", 0, 180, 3000);
    return 0;
}

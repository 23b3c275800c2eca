// Compares the results of two builds (Linux, and Windows under wine):
//
//   compare_runs caches REFERENCE_DIR OTHER_DIR [POSITION_BOUND]
//   compare_runs values REFERENCE_FILE OTHER_FILE [BOUND]
//
// caches: two particle caches of the same scene written by plix-sandbox play
// (DIR/cache/frame_NNNNNN.ply, binary little-endian PLY). The same frame
// files, byte-identical headers but for the framing line ("comment view"),
// and equal values for every property but the position and velocity: id,
// age and parked must be the same bits. A velocity component may differ by
// 320 times the positions' bound, the most its measurement from positions
// 1/64 s apart can make of it. A position
// coordinate may differ by at most POSITION_BOUND units in the last place of
// the frame's extent (default 0), the largest coordinate magnitude of the
// sparks in flight in that frame: a position is the sum of the object's place
// and the spark's flight, each of about that size, so a last bit that differs
// in one of the terms shows up as a fraction of an ulp of the extent, however
// small the sum comes out (where the terms nearly cancel, the same difference
// is many ulps of the sum itself; that is reported too).
//
// values: two listings of lines "LABEL INDEX HEX..." (doubles as their bits,
// from plix_launch_values). Labels and indices must match; each value may
// differ by at most BOUND units in its own last place (default 0).
//
// Prints the largest differences found, where they are, and exits non-zero
// when anything is outside its bound.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ply_file.h"

namespace fs = std::filesystem;

namespace {

using Property = plix::testing::PlyProperty;
using Frame = plix::testing::PlyFile;

// Reads one frame file; an empty result text on success, else what is wrong.
std::string readFrame(const fs::path &path, Frame &frame) {
    try {
        frame = plix::testing::readPlyFile(path);
    } catch (const std::runtime_error &problem) {
        return problem.what();
    }
    // The framing (view-plane box of the preview's camera) comes from
    // positions and cos/sin too: compared apart from the header.
    const std::size_t view = frame.header.find("\ncomment view ");
    if (view != std::string::npos) frame.header.erase(view + 1, frame.header.find('\n', view + 1) - view);
    for (const char *name : {"x", "y", "z"})
        if (!frame.find(name) || frame.find(name)->type != "double")
            return path.string() + ": no double property " + name;
    return {};
}

double doubleAt(const char *field) {
    double value;
    std::memcpy(&value, field, sizeof value);
    return value;
}

// Units in the last place between two doubles, counted on the line of all
// doubles in order (-0 and +0 are neighbours, 1 apart).
std::uint64_t ulpsApart(double a, double b) {
    if (std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b)) return 0;
    if (std::isnan(a) || std::isnan(b)) return UINT64_MAX;
    auto line = [](double v) -> std::uint64_t {
        const auto bits = std::bit_cast<std::int64_t>(v);
        const std::int64_t ordered = bits < 0 ? std::numeric_limits<std::int64_t>::min() - bits : bits;
        return static_cast<std::uint64_t>(ordered) + (std::uint64_t{1} << 63);
    };
    const std::uint64_t u = line(a), v = line(b);
    const std::uint64_t d = u > v ? u - v : v - u;
    return d == 0 ? 1 : d;
}

double ulpOf(double magnitude) {
    const double m = std::max(std::fabs(magnitude), std::numeric_limits<double>::min());
    return std::nextafter(m, std::numeric_limits<double>::infinity()) - m;
}

std::string number(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

std::vector<std::string> frameFiles(const fs::path &dir) {
    std::vector<std::string> names;
    if (fs::is_directory(dir))
        for (const auto &entry : fs::directory_iterator(dir))
            if (entry.path().extension() == ".ply") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

int faults = 0;
void fault(const std::string &text) {
    if (++faults <= 20) std::fprintf(stderr, "compare_runs: %s\n", text.c_str());
}

int compareCaches(const fs::path &refRoot, const fs::path &otherRoot, double bound) {
    const fs::path refDir = refRoot / "cache", otherDir = otherRoot / "cache";

    const std::vector<std::string> names = frameFiles(refDir);
    if (names.empty()) {
        std::fprintf(stderr, "compare_runs: no frame files in %s\n", refDir.string().c_str());
        return 1;
    }
    if (frameFiles(otherDir) != names) fault("the two caches do not hold the same frame files");

    std::uint64_t sparks = 0, inFlight = 0, coordinates = 0, differing = 0;
    double largestOfExtent = 0.0;
    std::uint64_t largestOfValue = 0;
    std::string whereOfExtent, whereOfValue;
    for (const std::string &name : names) {
        Frame a, b;
        std::string problem = readFrame(refDir / name, a);
        if (problem.empty()) problem = readFrame(otherDir / name, b);
        if (!problem.empty()) {
            fault(problem);
            continue;
        }
        if (a.header != b.header || a.body.size() != b.body.size()) {
            fault(name + ": the headers differ");
            continue;
        }
        const Property *pos[3] = {a.find("x"), a.find("y"), a.find("z")};
        const Property *vel[3] = {a.find("vx"), a.find("vy"), a.find("vz")};
        const Property *parked = a.find("parked"); // only with --keep-parked
        const auto isParked = [&](std::size_t r) { return parked != nullptr && *a.field(r, *parked) != 0; };
        double extent = 0.0;
        for (std::size_t r = 0; r < a.count; ++r) {
            if (isParked(r)) continue;
            for (const Property *p : pos)
                extent = std::max({extent, std::fabs(doubleAt(a.field(r, *p))), std::fabs(doubleAt(b.field(r, *p)))});
        }
        const double unit = ulpOf(extent);
        for (std::size_t r = 0; r < a.count; ++r) {
            const std::string spark = name + " spark record " + std::to_string(r);
            for (const Property &p : a.properties) {
                const bool position = &p == pos[0] || &p == pos[1] || &p == pos[2];
                const bool velocity = &p == vel[0] || &p == vel[1] || &p == vel[2];
                if (velocity) {
                    // Measured from three positions 1/64 s apart: each
                    // position's difference reaches the velocity at most
                    // 320 times (2 x (128 + 32)).
                    const double va = doubleAt(a.field(r, p)), vb = doubleAt(b.field(r, p));
                    if (!(std::fabs(va - vb) <= 320.0 * bound * unit) && ulpsApart(va, vb) != 0)
                        fault(spark + " " + p.name + ": " + number(va) + " and " + number(vb) + ", more than " +
                              number(320.0 * bound) + " ulp of the extent " + number(extent) + " apart");
                    continue;
                }
                if (!position) {
                    if (std::memcmp(a.field(r, p), b.field(r, p), p.size) != 0) fault(spark + ": " + p.name + " differs");
                    continue;
                }
                const double va = doubleAt(a.field(r, p)), vb = doubleAt(b.field(r, p));
                ++coordinates;
                const std::uint64_t ofValue = ulpsApart(va, vb);
                if (ofValue == 0) continue;
                ++differing;
                const double ofExtent = std::isfinite(va - vb) ? std::fabs(va - vb) / unit : HUGE_VAL;
                const std::string where = spark + " " + p.name + ": " + number(va) + " and " + number(vb) +
                                          ", extent " + number(extent);
                if (ofValue > largestOfValue) largestOfValue = ofValue, whereOfValue = where;
                if (ofExtent > largestOfExtent) largestOfExtent = ofExtent, whereOfExtent = where;
                if (ofExtent > bound)
                    fault(where + ": " + number(ofExtent) + " ulp of the extent apart, bound " + number(bound));
            }
            ++sparks;
            inFlight += isParked(r) ? 0 : 1;
        }
    }

    std::printf("compared %zu frames, %llu sparks (%llu in flight): id, age and parked identical%s\n",
                names.size(), static_cast<unsigned long long>(sparks), static_cast<unsigned long long>(inFlight),
                faults ? " where not reported above" : "");
    std::printf("positions: %llu of %llu coordinates differ\n", static_cast<unsigned long long>(differing),
                static_cast<unsigned long long>(coordinates));
    if (differing) {
        std::printf("  largest difference: %.3f ulp of the frame's extent (bound %g) at %s\n", largestOfExtent, bound,
                    whereOfExtent.c_str());
        std::printf("  largest in ulp of the value itself: %llu at %s\n",
                    static_cast<unsigned long long>(largestOfValue), whereOfValue.c_str());
    }
    return faults ? 1 : 0;
}

std::vector<std::string> readLines(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fault("cannot read " + path.string());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

int compareValues(const fs::path &refFile, const fs::path &otherFile, std::uint64_t bound) {
    const std::vector<std::string> a = readLines(refFile), b = readLines(otherFile);
    if (a.empty() || a.size() != b.size()) {
        fault("the listings do not have the same number of lines (" + std::to_string(a.size()) + " and " +
              std::to_string(b.size()) + ")");
        return 1;
    }
    struct Kind {
        std::uint64_t values = 0, differing = 0, largest = 0;
        std::vector<std::string> examples;
    };
    std::map<std::string, Kind> kinds;
    std::vector<std::string> order;
    for (std::size_t n = 0; n < a.size(); ++n) {
        std::istringstream la(a[n]), lb(b[n]);
        std::string labelA, labelB, indexA, indexB;
        la >> labelA >> indexA;
        lb >> labelB >> indexB;
        if (labelA != labelB || indexA != indexB) {
            fault("line " + std::to_string(n + 1) + ": '" + labelA + " " + indexA + "' against '" + labelB + " " +
                  indexB + "'");
            return 1;
        }
        if (!kinds.count(labelA)) order.push_back(labelA);
        Kind &kind = kinds[labelA];
        for (int column = 0;; ++column) {
            std::string ha, hb;
            const bool moreA = static_cast<bool>(la >> ha), moreB = static_cast<bool>(lb >> hb);
            if (moreA != moreB) {
                fault("line " + std::to_string(n + 1) + ": not the same number of values");
                break;
            }
            if (!moreA) break;
            const double va = std::bit_cast<double>(std::strtoull(ha.c_str(), nullptr, 16));
            const double vb = std::bit_cast<double>(std::strtoull(hb.c_str(), nullptr, 16));
            ++kind.values;
            const std::uint64_t ulps = ulpsApart(va, vb);
            if (ulps == 0) continue;
            ++kind.differing;
            kind.largest = std::max(kind.largest, ulps);
            const std::string where = labelA + " " + indexA + " value " + std::to_string(column) + ": " + number(va) +
                                      " and " + number(vb) + " (" + std::to_string(ulps) + " ulp)";
            if (kind.examples.size() < 6) kind.examples.push_back(where);
            if (ulps > bound) fault(where + ", bound " + std::to_string(bound));
        }
    }
    for (const std::string &label : order) {
        const Kind &kind = kinds[label];
        std::printf("%s: %llu of %llu values differ", label.c_str(), static_cast<unsigned long long>(kind.differing),
                    static_cast<unsigned long long>(kind.values));
        if (kind.differing) std::printf(", largest by %llu ulp (bound %llu)", static_cast<unsigned long long>(kind.largest),
                                        static_cast<unsigned long long>(bound));
        std::printf("\n");
        for (const std::string &example : kind.examples) std::printf("  %s\n", example.c_str());
        if (kind.differing > kind.examples.size()) std::printf("  ...\n");
    }
    return faults ? 1 : 0;
}

} // namespace

int main(int argc, char **argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if ((mode != "caches" && mode != "values") || argc < 4 || argc > 5) {
        std::fprintf(stderr, "usage: compare_runs caches REFERENCE_DIR OTHER_DIR [POSITION_BOUND]\n"
                             "       compare_runs values REFERENCE_FILE OTHER_FILE [BOUND]\n");
        return 2;
    }
    const int result = mode == "caches" ? compareCaches(argv[2], argv[3], argc == 5 ? std::strtod(argv[4], nullptr) : 0.0)
                                        : compareValues(argv[2], argv[3], argc == 5 ? std::strtoull(argv[4], nullptr, 10) : 0);
    if (faults) std::fprintf(stderr, "compare_runs: %d difference(s) outside the bound\n", faults);
    return result;
}

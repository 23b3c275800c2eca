#include "bench/ratio_reporter.h"

#include <unistd.h>

#include <cstdio>

namespace plix::bench {

RatioReporter::RatioReporter() : ConsoleReporter(isatty(1) ? OO_ColorTabular : OO_Tabular) {}

void RatioReporter::ReportRuns(const std::vector<Run> &runs) {
    for (const Run &run : runs) {
        const std::string name = run.run_name.str();
        if (seen_.insert(name).second) order_.push_back(name);
        if (run.run_type == Run::RT_Aggregate) {
            if (run.aggregate_name == "median") medians_[name] = run.GetAdjustedCPUTime();
            continue;
        }
        repetitions_[name].push_back(run.GetAdjustedCPUTime());
    }
    ConsoleReporter::ReportRuns(runs);
}

double RatioReporter::timeOf(const std::string &name) const {
    if (auto m = medians_.find(name); m != medians_.end()) return m->second;
    auto r = repetitions_.find(name);
    if (r == repetitions_.end() || r->second.empty()) return 0.0;
    double sum = 0.0;
    for (double t : r->second) sum += t;
    return sum / static_cast<double>(r->second.size());
}

// Per spark, in nanoseconds, of a frame benchmark named by its parts.
double RatioReporter::perSpark(const std::string &reading, const char *module, const std::string &count) const {
    return timeOf("frame/" + reading + "/" + module + "/" + count) / std::stod(count);
}

void RatioReporter::printRatios() const {
    for (const char *reading : {"field", "block"}) {
        std::printf("\nFrame, every spark in flight, host reads the position %s (CPU ns per spark, this run):\n",
                    std::string(reading) == "field" ? "field by field" : "as one block");
        std::printf("| points | ours | calls alone | plain formulas | ours / calls alone | ours / plain |\n");
        std::printf("|---|---|---|---|---|---|\n");
        for (const char *count : {"1000", "10000", "100000", "1000000", "10000000"}) {
            const double o = perSpark(reading, "ours", count), c = perSpark(reading, "calls", count),
                         p = perSpark(reading, "plain", count);
            if (o <= 0.0 || c <= 0.0 || p <= 0.0) continue;
            std::printf("| %s | %.2f | %.2f | %.2f | %.3f | %.3f |\n", count, o, c, p, o / c, o / p);
        }
    }
}

} // namespace plix::bench

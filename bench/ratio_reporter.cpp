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

void RatioReporter::printRatios() const {
    std::printf("\nFrame time as a multiple of the memory floor (CPU time, same run):\n");
    for (const std::string &name : order_) {
        if (name.rfind("frame_", 0) != 0) continue;
        const std::string count = name.substr(name.find('/') + 1);
        const double floor = timeOf("floor/" + count);
        if (floor <= 0.0) continue;
        std::printf("  %-28s %6.2f x floor\n", name.c_str(), timeOf(name) / floor);
    }
}

} // namespace plix::bench

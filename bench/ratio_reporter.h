// Console output as usual, then each frame figure as a ratio to the memory
// floor of the same point count, measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace plix::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter(); // colours only on a terminal
    void ReportRuns(const std::vector<Run> &runs) override;
    void printRatios() const;

private:
    // CPU time per iteration by benchmark name: the median when the run was
    // repeated, else the mean of the repetitions.
    double timeOf(const std::string &name) const;

    std::map<std::string, std::vector<double>> repetitions_;
    std::map<std::string, double> medians_;
    std::vector<std::string> order_;
    std::set<std::string> seen_;
};

} // namespace plix::bench

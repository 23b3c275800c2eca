// Console output as usual, then the frame table: per point count, the module,
// the calls alone, the plain formulas and the two ratios, from this run.
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
    double perSpark(const std::string &reading, const char *module, const std::string &count) const;

    std::map<std::string, std::vector<double>> repetitions_;
    std::map<std::string, double> medians_;
    std::vector<std::string> order_;
    std::set<std::string> seen_;
};

} // namespace plix::bench

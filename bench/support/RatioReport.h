#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quorrel::bench {

// One figure the summary prints: the wall time of `numerator` divided by the wall time of
// `denominator` (benchmark function names as registered). A goal of 0 prints the ratio without
// judging it. `withCpuTime` adds the same ratio of CPU times, which a busy machine disturbs less;
// where the work runs in child processes, `cpuCounter` names the counter that holds their CPU time.
struct Ratio
{
    Ratio(std::string label, std::string numerator, std::string denominator, double goal = 0, bool withCpuTime = false,
          std::string cpuCounter = {})
        : label(std::move(label)), numerator(std::move(numerator)), denominator(std::move(denominator)), goal(goal),
          withCpuTime(withCpuTime), cpuCounter(std::move(cpuCounter))
    {}

    std::string label;
    std::string numerator;
    std::string denominator;
    double goal;
    bool withCpuTime;
    std::string cpuCounter;
};

// Runs the benchmarks chosen on the command line, shows them on the console and then prints each
// ratio. Each benchmark's time is its median over repetitions when it has several, otherwise its
// time per iteration. Returns the process exit status: 1 when a benchmark failed.
int runWithRatios(int argc, char** argv, const std::vector<Ratio>& ratios);

} // namespace quorrel::bench

#include "support/RatioReport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace quorrel::bench {

namespace {

struct Timing
{
    double seconds = 0;
    double cpuSeconds = 0;
    bool fromMedian = false;
    std::map<std::string, double> counters;
};

// The console reporter, which also remembers each benchmark's time in seconds. A batch of several
// repetitions is shown only through its aggregates (mean, median, stddev, cv) that follow it.
class RecordingReporter : public benchmark::ConsoleReporter
{
public:
    explicit RecordingReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& reports) override
    {
        std::vector<Run> shown;
        for (const Run& run : reports) {
            if (run.error_occurred) {
                m_failed.insert(run.run_name.function_name);
                shown.push_back(run);
                continue;
            }
            const double perSecond = benchmark::GetTimeUnitMultiplier(run.time_unit);
            Timing measured{run.GetAdjustedRealTime() / perSecond,
                            run.GetAdjustedCPUTime() / perSecond,
                            run.run_type == Run::RT_Aggregate,
                            {}};
            for (const auto& [name, counter] : run.counters)
                measured.counters[name] = counter.value;
            Timing& timing = m_timings[run.run_name.function_name];
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median")
                    timing = measured;
                shown.push_back(run);
            } else {
                if (!timing.fromMedian)
                    timing = measured;
                if (run.repetitions <= 1)
                    shown.push_back(run);
            }
        }
        if (!shown.empty())
            ConsoleReporter::ReportRuns(shown);
    }

    bool anyFailed() const { return !m_failed.empty(); }

    // Nothing for a benchmark that was filtered out or failed in any run.
    const Timing* find(const std::string& name) const
    {
        if (m_failed.count(name))
            return nullptr;
        const auto found = m_timings.find(name);
        return found == m_timings.end() ? nullptr : &found->second;
    }

private:
    std::map<std::string, Timing> m_timings;
    std::set<std::string> m_failed;
};

std::string readable(double seconds)
{
    char text[32];
    if (seconds >= 1)
        std::snprintf(text, sizeof text, "%.3f s", seconds);
    else if (seconds >= 1e-3)
        std::snprintf(text, sizeof text, "%.3f ms", seconds * 1e3);
    else
        std::snprintf(text, sizeof text, "%.3f us", seconds * 1e6);
    return text;
}

// Colours only on a terminal, and not when --benchmark_color=false (the library applies that flag
// to its own console reporter only).
benchmark::ConsoleReporter::OutputOptions ConsoleOptions(int argc, char** argv)
{
    bool color = isatty(STDOUT_FILENO) != 0;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--benchmark_color=false" || argument == "--benchmark_color=no")
            color = false;
        else if (argument == "--benchmark_color=true" || argument == "--benchmark_color=yes")
            color = true;
    }
    return color ? benchmark::ConsoleReporter::OO_ColorTabular : benchmark::ConsoleReporter::OO_Tabular;
}

} // namespace

int runWithRatios(int argc, char** argv, const std::vector<Ratio>& ratios)
{
    RecordingReporter reporter(ConsoleOptions(argc, argv));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    bool printedHeading = false;
    for (const Ratio& ratio : ratios) {
        const Timing* numerator = reporter.find(ratio.numerator);
        const Timing* denominator = reporter.find(ratio.denominator);
        if (!numerator || !denominator || denominator->seconds <= 0)
            continue; // filtered out or failed
        if (!printedHeading) {
            std::printf("\nRatios (%s):\n", numerator->fromMedian ? "medians" : "time per iteration");
            printedHeading = true;
        }
        const double value = numerator->seconds / denominator->seconds;
        std::printf("  %-60s %s / %s = %.2f", ratio.label.c_str(), readable(numerator->seconds).c_str(),
                    readable(denominator->seconds).c_str(), value);
        if (ratio.goal > 0)
            std::printf("  (goal <= %.2f: %s)", ratio.goal, value <= ratio.goal ? "met" : "missed");
        if (ratio.withCpuTime) {
            double top = numerator->cpuSeconds;
            double bottom = denominator->cpuSeconds;
            if (!ratio.cpuCounter.empty()) {
                const auto up = numerator->counters.find(ratio.cpuCounter);
                const auto down = denominator->counters.find(ratio.cpuCounter);
                top = up == numerator->counters.end() ? 0 : up->second;
                bottom = down == denominator->counters.end() ? 0 : down->second;
            }
            if (top > 0 && bottom > 0)
                std::printf("  [CPU time: %.2f]", top / bottom);
        }
        std::printf("\n");
    }
    std::fflush(stdout);
    return reporter.anyFailed() ? 1 : 0;
}

} // namespace quorrel::bench

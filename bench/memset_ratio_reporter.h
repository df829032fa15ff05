// memset_ratio_reporter.h -- Google Benchmark's console table with a column "memsets": each time over the time of the
// benchmark BM_Memset with the same arguments, run before it (for repeated runs, each mean and median over the
// memset's).
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

class MemsetRatioReporter : public benchmark::ConsoleReporter {
public:
    explicit MemsetRatioReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> annotated = runs;
        for (Run& run : annotated) {
            const auto key = std::make_pair(run.run_name.args, run.aggregate_name);
            if (run.aggregate_name == "stddev" || run.aggregate_name == "cv") {
                continue;
            }
            if (run.run_name.function_name == "BM_Memset") {
                memsetTimes_[key] = run.GetAdjustedRealTime();
            } else if (auto memset = memsetTimes_.find(key); memset != memsetTimes_.end() && memset->second > 0) {
                run.counters["memsets"] = benchmark::Counter(run.GetAdjustedRealTime() / memset->second);
            }
        }
        ConsoleReporter::ReportRuns(annotated);
    }

private:
    std::map<std::pair<std::string, std::string>, double> memsetTimes_;
};

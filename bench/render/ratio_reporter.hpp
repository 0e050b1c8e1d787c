// A console reporter that also prints how many times slower one benchmark is
// than another of the same run, by CPU time (the build machine is shared, so
// wall time is noisier).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter(std::string slow, std::string fast)
      : slow_(std::move(slow)), fast_(std::move(fast)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (!r.error_occurred) times_[r.benchmark_name()] = r.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto slow = times_.find(slow_), fast = times_.find(fast_);
    if (slow == times_.end() || fast == times_.end() || fast->second <= 0.0) return;
    std::printf("CPU time %s / %s = %.0f\n", slow_.c_str(), fast_.c_str(),
                slow->second / fast->second);
  }

 private:
  std::string slow_, fast_;
  std::map<std::string, double> times_;
};

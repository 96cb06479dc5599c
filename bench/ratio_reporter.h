// Prints each benchmark as usual, then the ratios of named pairs measured
// in the same run: the machine is shared and noisy, so only ratios against
// a same-run baseline are comparable between runs.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // ratio = time(subject) / time(baseline); `limit` is the target it must
  // stay under (0: reported without a target).
  void AddRatio(std::string subject, std::string baseline, double limit) {
    ratios_.push_back({std::move(subject), std::move(baseline), limit});
  }

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median") {
        std::string name = run.run_name.function_name;
        if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
        if (!run.run_name.iterations.empty()) name += "/" + run.run_name.iterations;
        times_[name] = run.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const Ratio& r : ratios_) {
      const auto s = times_.find(r.subject), b = times_.find(r.baseline);
      if (s == times_.end() || b == times_.end() || b->second <= 0) continue;
      const double ratio = s->second / b->second;
      GetOutputStream() << "ratio " << r.subject << " / " << r.baseline << " = " << ratio;
      if (r.limit > 0)
        GetOutputStream() << " (target <= " << r.limit << ")" << (ratio <= r.limit ? "" : "  OVER");
      GetOutputStream() << "\n";
    }
  }

 private:
  struct Ratio {
    std::string subject, baseline;
    double limit;
  };
  std::vector<Ratio> ratios_;
  std::map<std::string, double> times_;
};

// What the benchmark programs share around Google Benchmark: start-up with
// default flags, and a reporter that keeps the best of the repetitions.
#pragma once

#include <benchmark/benchmark.h>

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace orven_bench {

// benchmark::Initialize on the command line plus each of `defaults`
// ("--flag=value") whose flag the command line does not give. False, after
// saying which, when an argument is not a benchmark flag.
bool Initialize(int argc, char** argv, std::initializer_list<const char*> defaults = {});

// Console output as usual, plus per benchmark name, over its repetitions,
// the highest value of one rate counter (such as "items_per_second") and the
// lowest CPU time per iteration, in the benchmark's time unit.
class BestOfRepetitions : public benchmark::ConsoleReporter {
 public:
  explicit BestOfRepetitions(std::string counter = "") : counter_(std::move(counter)) {}
  void ReportRuns(const std::vector<Run>& runs) override;

  // 0 for a benchmark that did not run (or has no such counter).
  double Best(const std::string& name) const { return Find(best_, name); }
  double BestCpuTime(const std::string& name) const { return Find(bestCpuTime_, name); }

 private:
  static double Find(const std::map<std::string, double>& figures, const std::string& name) {
    const auto it = figures.find(name);
    return it == figures.end() ? 0.0 : it->second;
  }
  std::string counter_;
  std::map<std::string, double> best_, bestCpuTime_;
};

// a / b, or 0 when b is 0 (a side that did not run).
inline double Ratio(double a, double b) { return b > 0 ? a / b : 0.0; }

}  // namespace orven_bench

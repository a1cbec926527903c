#include "bench_support.h"

#include <algorithm>
#include <cstring>

namespace orven_bench {

bool Initialize(int argc, char** argv, std::initializer_list<const char*> defaults) {
  // Kept for the life of the program: benchmark::Initialize takes mutable
  // strings and may hold on to them.
  static std::vector<std::string> added;
  std::vector<char*> args(argv, argv + argc);
  for (const char* flag : defaults) {
    const size_t nameLength = std::strcspn(flag, "=");
    const bool given = std::any_of(argv + 1, argv + argc, [&](const char* arg) {
      return std::strncmp(arg, flag, nameLength) == 0 && (arg[nameLength] == '=' || arg[nameLength] == '\0');
    });
    if (!given) added.emplace_back(flag);
  }
  for (std::string& flag : added) args.push_back(flag.data());
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&count, args.data());
  return !benchmark::ReportUnrecognizedArguments(count, args.data());
}

void BestOfRepetitions::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
    const std::string& name = run.run_name.function_name;
    if (const auto it = run.counters.find(counter_); it != run.counters.end()) {
      double& best = best_[name];
      best = std::max(best, static_cast<double>(it->second));
    }
    const double cpuTime = run.GetAdjustedCPUTime();
    const auto [it, added] = bestCpuTime_.emplace(name, cpuTime);
    if (!added) it->second = std::min(it->second, cpuTime);
  }
  ConsoleReporter::ReportRuns(runs);
}

}  // namespace orven_bench

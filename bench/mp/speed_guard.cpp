// Speed guard: both arctg series at 4001 elements beside the plain port,
// several repetitions each in one run; fails when the least time of the
// kernels is more than the given share of the plain port's least time.
//
//   build/bench/mp_speed_guard 0.70
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

class LeastTimes : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> least;

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      const auto [at, first] = least.try_emplace(run.run_name.function_name, run.GetAdjustedRealTime());
      if (!first) at->second = std::min(at->second, run.GetAdjustedRealTime());
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  const double most = argc > 1 ? std::atof(argv[1]) : 0.70;
  std::string filter = "--benchmark_filter=arctg_both/4001/", repetitions = "--benchmark_repetitions=5";
  char* flags[] = {argv[0], filter.data(), repetitions.data()};
  int flag_count = 3;
  benchmark::Initialize(&flag_count, flags);
  LeastTimes times;
  benchmark::RunSpecifiedBenchmarks(&times);
  const double kernels = times.least["BM_arctg_both"], plain = times.least["BM_baseline_arctg_both"];
  if (!(kernels > 0 && plain > 0)) {
    std::puts("speed guard: the arctg benchmarks did not run");
    return 1;
  }
  const double ratio = kernels / plain;
  std::printf("arctg at 4001 elements, against the plain port: %.3f (at most %.2f)\n", ratio, most);
  return ratio <= most ? 0 : 1;
}

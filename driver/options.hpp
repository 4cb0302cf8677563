#pragma once
// The options that run the benchmark: --log FILE, --digits D, --runs N,
// --warmup W, --copies C, --batches B and --pause S (only with --batches),
// in any order, each at most once.
#include <optional>
#include <string>
#include <vector>

namespace driver {

struct BenchmarkOptions {
  std::optional<std::string> log;
  std::optional<int> digits;   // 4..64000: the dialogue's answer
  std::optional<int> runs;     // 1..1000: a batch
  std::optional<int> warmup;   // 0..100: runs before a batch's, measuring nothing
  std::optional<int> copies;   // 1..1024, "all" the logical processors usable: each run so many at once
  std::optional<int> batches;  // 1..100: batches of --runs, one after another
  std::optional<int> pause;    // 0..86400: seconds between batches
  bool batch() const { return runs || warmup || copies || batches || pause; }
};

// Says what is wrong on standard error and ends with status 2 for an
// option that is unknown, repeated, without its value or alone where it
// needs another, and for --report, --version or --help after the first.
BenchmarkOptions parse_benchmark_options(const std::vector<std::string>& arguments);

}  // namespace driver

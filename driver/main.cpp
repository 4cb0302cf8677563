#include <optional>
#include <string>
#include <vector>

#include "driver/about.hpp"
#include "driver/batch.hpp"
#include "driver/benchmark.hpp"
#include "driver/options.hpp"
#include "driver/run_log.hpp"
#include "report/report.hpp"
#include "runtime/list_input.hpp"
#include "runtime/stop.hpp"

// No argument: the benchmark, as it always was. Anything else is one of the
// options beside it, or an error that starts nothing.
int main(int argc, char** argv) {
  runtime::start_process();
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) driver::run_benchmark();
  const std::string& option = args.front();
  if (option == "--report") report::run_report({args.begin() + 1, args.end()});
  if (args.size() > 1 && (option == "--version" || option == "--help")) {
    runtime::exit_with_error("pibench: " + option + " takes no argument (see pibench --help)");
  }
  if (option == "--version") driver::show_version();
  if (option == "--help") driver::show_help();
  const driver::BenchmarkOptions options = driver::parse_benchmark_options(args);
  std::optional<driver::RunLog> log;
  if (options.log) log.emplace(options.log->c_str());
  driver::RunEnd* const at_end = log ? &*log : nullptr;
  if (options.batch()) driver::run_batch(options, at_end);
  if (options.digits) {
    runtime::StringSource answer(std::to_string(*options.digits) + "\n");
    driver::run_benchmark(at_end, nullptr, &answer);
  }
  driver::run_benchmark(at_end);
}

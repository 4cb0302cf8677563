#include "driver/command_line.hpp"

#include <optional>

#include "driver/about.hpp"
#include "driver/batch.hpp"
#include "driver/benchmark.hpp"
#include "driver/options.hpp"
#include "driver/run_log.hpp"
#include "report/report.hpp"
#include "runtime/list_input.hpp"
#include "runtime/stop.hpp"

namespace driver {

void run_command_line(const std::vector<std::string>& args, PiFault fault) {
  if (args.empty()) run_benchmark(nullptr, fault);
  const std::string& option = args.front();
  if (option == "--report") report::run_report({args.begin() + 1, args.end()});
  if (args.size() > 1 && (option == "--version" || option == "--help")) {
    runtime::exit_with_error("pibench: " + option + " takes no argument (see pibench --help)");
  }
  if (option == "--version") show_version();
  if (option == "--help") show_help();
  const BenchmarkOptions options = parse_benchmark_options(args);
  std::optional<RunLog> log;
  if (options.log) log.emplace(options.log->c_str());
  RunLog* const to_log = log ? &*log : nullptr;
  if (options.batch()) run_batch(options, to_log, fault);
  if (options.digits) {
    runtime::StringSource answer(std::to_string(*options.digits) + "\n");
    run_benchmark(to_log, fault, &answer);
  }
  run_benchmark(to_log, fault);
}

}  // namespace driver

#include <string>
#include <vector>

#include "driver/about.hpp"
#include "driver/benchmark.hpp"
#include "driver/run_log.hpp"
#include "report/report.hpp"
#include "runtime/stop.hpp"
#include "runtime/text.hpp"

// No argument: the benchmark, as it always was. Anything else is one of the
// options beside it, or an error.
int main(int argc, char** argv) {
  runtime::start_process();
  const std::vector<std::string> args(argv + 1, argv + argc);
  const auto unknown = [](const std::string& what) {
    runtime::exit_with_error("pibench: " + runtime::displayable(what) + " (see pibench --help)");
  };
  if (args.empty()) driver::run_benchmark();
  const std::string& option = args.front();
  if (option == "--report") report::run_report({args.begin() + 1, args.end()});
  if (args.size() > 1 && (option == "--version" || option == "--help")) unknown(option + " takes no argument");
  if (option == "--version") driver::show_version();
  if (option == "--help") driver::show_help();
  if (option == "--log") {
    if (args.size() != 2) unknown(args.size() == 1 ? "--log needs a file name" : "--log takes one file name");
    driver::RunLog log(args[1].c_str());
    driver::run_benchmark(&log);
  }
  unknown(option.starts_with("-") ? "unknown option '" + option + "'" : "unexpected argument '" + option + "'");
}

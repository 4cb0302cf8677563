#include "driver/options.hpp"

#include <algorithm>
#include <charconv>

#include "runtime/os.hpp"
#include "runtime/stop.hpp"
#include "runtime/text.hpp"

namespace driver {

namespace {

[[noreturn]] void usage_error(const std::string& problem) {
  runtime::exit_with_error("pibench: " + runtime::displayable(problem) + " (see pibench --help)");
}

// A whole number from `low` to `high`, all of the word, in decimal digits;
// `also` names a word the option takes besides.
int number_in(const std::string& option, const std::string& word, int low, int high, const char* also = nullptr) {
  int value = 0;
  const char* end = word.data() + word.size();
  const auto [stop, error] = std::from_chars(word.data(), end, value);
  const bool digits_only = !word.empty() && word.find_first_not_of("0123456789") == std::string::npos;
  if (!digits_only || error != std::errc() || stop != end || value < low || value > high) {
    std::string needs = option + " needs ";
    if (also != nullptr) needs.append("'").append(also).append("' or ");
    usage_error(needs + "a whole number from " + std::to_string(low) + " to " + std::to_string(high) + ", not '" +
                word + "'");
  }
  return value;
}

constexpr int kMaxCopies = 1024;

// A copy for each logical processor this process may run on.
int all_copies() { return std::min(static_cast<int>(runtime::os::usable_cpus().size()), kMaxCopies); }

}  // namespace

BenchmarkOptions parse_benchmark_options(const std::vector<std::string>& arguments) {
  BenchmarkOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    if (option == "--report" || option == "--version" || option == "--help") {
      usage_error(option + " does not go with the run options: give it first");
    }
    const bool known = option == "--log" || option == "--digits" || option == "--runs" || option == "--warmup" ||
                       option == "--copies" || option == "--batches" || option == "--pause";
    if (!known) {
      usage_error(option.starts_with("-") ? "unknown option '" + option + "'" : "unexpected argument '" + option + "'");
    }
    if (i + 1 == arguments.size()) {
      usage_error(option == "--log"      ? "--log needs a file name"
                  : option == "--copies" ? "--copies needs 'all' or a number"
                                         : option + " needs a number");
    }
    const std::string& value = arguments[++i];
    const auto once = [&](auto& slot, auto parsed) {
      if (slot) usage_error(option + " is given twice");
      slot = parsed;
    };
    if (option == "--log") once(options.log, value);
    if (option == "--digits") once(options.digits, number_in(option, value, 4, 64000));
    if (option == "--runs") once(options.runs, number_in(option, value, 1, 1000));
    if (option == "--warmup") once(options.warmup, number_in(option, value, 0, 100));
    if (option == "--batches") once(options.batches, number_in(option, value, 1, 100));
    if (option == "--pause") once(options.pause, number_in(option, value, 0, 86400));
    if (option == "--copies")
      once(options.copies, value == "all" ? all_copies() : number_in(option, value, 1, kMaxCopies, "all"));
  }
  if (options.pause && !options.batches) usage_error("--pause is the wait between batches: give --batches too");
  return options;
}

}  // namespace driver

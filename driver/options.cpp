#include "driver/options.hpp"

#include <charconv>

#include "runtime/stop.hpp"
#include "runtime/text.hpp"

namespace driver {

namespace {

[[noreturn]] void usage_error(const std::string& problem) {
  runtime::exit_with_error("pibench: " + runtime::displayable(problem) + " (see pibench --help)");
}

// A whole number from `low` to `high`, all of the word, in decimal digits.
int number_in(const std::string& option, const std::string& word, int low, int high) {
  int value = 0;
  const char* end = word.data() + word.size();
  const auto [stop, error] = std::from_chars(word.data(), end, value);
  const bool digits_only = !word.empty() && word.find_first_not_of("0123456789") == std::string::npos;
  if (!digits_only || error != std::errc() || stop != end || value < low || value > high) {
    usage_error(option + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                ", not '" + word + "'");
  }
  return value;
}

}  // namespace

BenchmarkOptions parse_benchmark_options(const std::vector<std::string>& arguments) {
  BenchmarkOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    const bool known = option == "--log" || option == "--digits" || option == "--runs" || option == "--warmup";
    if (!known) {
      usage_error(option.starts_with("-") ? "unknown option '" + option + "'" : "unexpected argument '" + option + "'");
    }
    if (i + 1 == arguments.size()) {
      usage_error(option == "--log" ? "--log needs a file name" : option + " needs a number");
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
  }
  return options;
}

}  // namespace driver

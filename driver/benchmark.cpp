#include "driver/benchmark.hpp"

#include <cstdint>
#include <string>
#include <string_view>

#include "driver/computation.hpp"
#include "driver/recording.hpp"
#include "runtime/format.hpp"
#include "runtime/list_input.hpp"
#include "runtime/stop.hpp"
#include "runtime/unit.hpp"

namespace driver {

namespace {

using runtime::ListRecord;

constexpr std::string_view kBanner =
    " This is a computing power benchmark based on PI number calculation.\n"
    " This program updates Tarnoval.Dat file:  50 characters of a compurer\n"
    " identifier, e.g., [DEC 3000-600s AXP alpha station], are appended with\n"
    " the benchmark value.  The last line of the file is thought to contain\n"
    " YOUR COMPUTER NAME, which will be appended with its behchmark parameter\n"
    " if the calculation duration is more than 1 second (the timing precision).\n";

// Banner, prompt and answer until a digit count is accepted; stop 901 at
// the end of input or an unreadable answer.
Sizes hold_dialogue(std::int32_t digits_per_element, runtime::ByteSource& answer) {
  const std::int32_t max_digits = 16000 * digits_per_element;
  runtime::console_write(kBanner);
  runtime::console_write(ListRecord().text("The last Tarnoval.Dat line is copied before updating.").str());
  runtime::console_write(ListRecord().text("Hit Ctrl-Z to quit.").str());

  std::int32_t digit_count = 16000;
  for (;;) {
    runtime::console_write(" Enter number of digits for pi [4;" + runtime::field_i(max_digits, 5) + "] ");
    const runtime::ReadOutcome read = runtime::read_list_integer(answer, digit_count);
    if (read == runtime::ReadOutcome::kEnd || read == runtime::ReadOutcome::kError) runtime::stop(901);
    runtime::console_write(ListRecord().str());
    runtime::console_write(ListRecord().integer(digit_count).text(" has been entered.").str());
    if (digit_count <= 3) continue;
    if (digit_count > max_digits) {
      runtime::console_write(" You misspelled." + runtime::field_i(max_digits, 6) + " is maximum. Retry, please.\n");
      continue;
    }
    break;
  }

  const Sizes sizes = sizes_of(digit_count, digits_per_element);
  runtime::console_write(ListRecord().integer(sizes.accepted_digits).text(" has been accepted.").str());
  return sizes;
}

}  // namespace

void run_benchmark(RunLog* log, PiFault fault, runtime::ByteSource* answer) {
  const std::int32_t digits_per_element = set_up();
  RunConsole console;
  const Sizes sizes = hold_dialogue(digits_per_element, answer != nullptr ? *answer : runtime::console_input());
  ResultFiles files;
  MeasuredRun run = compute(sizes, 1, &files, console, fault);
  if (run.stop == 0) run.stop = record(run.facts, console);
  if (log != nullptr) log->run_ended(run);
  if (run.stop != 0) runtime::stop(run.stop);
  runtime::stop();
}

}  // namespace driver

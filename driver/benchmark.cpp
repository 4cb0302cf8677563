#include "driver/benchmark.hpp"

#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "driver/copies.hpp"
#include "driver/measurement.hpp"
#include "mp/arctg.hpp"
#include "mp/common.hpp"
#include "mp/digits.hpp"
#include "mp/pi_check.hpp"
#include "runtime/clock.hpp"
#include "runtime/format.hpp"
#include "runtime/list_input.hpp"
#include "runtime/record_file.hpp"
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

// The vectors of a run of one copy.
Workspace plain_work;

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

std::string text_record(std::string_view text) { return std::string(ListRecord().text(text).str()); }

std::string time_record(std::string_view label, const char (&time_text)[8]) {
  std::string record(" ");
  record.append(label).append(" ").append(time_text, 8).append("\n");
  return record;
}

// The last line's identifier, trailing blanks removed, without touching the
// file; empty when it cannot be read.
std::string record_file_identifier() {
  runtime::FileUnit record_file;
  runtime::FileUnit::Record50 last_line;
  if (!record_file.open_for_reading("Tarnoval.Dat") || !runtime::read_identifier(record_file, last_line)) return "";
  std::string identifier(last_line.data(), last_line.size());
  identifier.erase(identifier.find_last_not_of(' ') + 1);
  return identifier;
}

std::span<const std::int32_t> groups_of(const mp::DigitStorage& v, const Sizes& sizes) {
  return std::span<const std::int32_t>(v.data(), static_cast<std::size_t>(sizes.group_count));
}

// How a run ends when it reached its normal end: by the normal stop (a
// plain run), or by returning its facts (a batch's).
enum class AtNormalEnd { kStop, kReturn };

// One run from the accepted answer on: the result files, the timed
// computation, the check of the result and the record file. Every run tells
// at_end how it ended, whatever stop ends it.
class Run {
 public:
  Run(const Sizes& sizes, RunEnd* at_end, PiFault fault, RunConsole& console, AtNormalEnd normal_end, bool files,
      int copies = 1)
      : at_end_(at_end), fault_(fault), console_(console), normal_end_(normal_end), files_(files) {
    facts_.sizes = sizes;
    facts_.copies = copies;
  }

  MeasuredRun go() {
    compute_pi();
    check_result();
    if (files_ && facts_.copies == 1) record_benchmark();
    if (files_ && at_end_ != nullptr && facts_.identifier.empty()) facts_.machine = record_file_identifier();
    if (at_end_ != nullptr) at_end_->run_ended(facts_, measured_, 0);
    if (normal_end_ == AtNormalEnd::kStop) runtime::stop();
    return {facts_, measured_};
  }

 private:
  // A stop with a code ends the run, and a batch with it.
  [[noreturn]] void end_run(int code) {
    if (at_end_ != nullptr) at_end_->run_ended(facts_, measured_, code);
    runtime::stop(code);
  }

  // A stop before the timed interval: the run is told as one that began
  // and ended then.
  [[noreturn]] void end_run_before_timing(int code) {
    if (at_end_ != nullptr) {
      facts_.interval.start = facts_.interval.end = runtime::read_clocks();
      measured_ = measure(facts_);
    }
    end_run(code);
  }

  void to_console_and_file(std::string_view record, runtime::FileUnit& file) {
    console_.progress(record);
    if (!file.write(record)) {
      console_.message(text_record("Write error."));
      end_run_before_timing(903);
    }
  }

  // After the timed interval a write error ends the run as a run that
  // reached its end.
  void to_file_after(std::string_view records, runtime::FileUnit& file) {
    if (!file.write(records)) {
      console_.message(text_record("Write error."));
      end_run(903);
    }
  }

  void to_console_and_file_after(std::string_view record, runtime::FileUnit& file) {
    console_.progress(record);
    to_file_after(record, file);
  }

  // Opens the result files, times the computation of pi and writes the two
  // arctangents, pi, the size and the times.
  void compute_pi() {
    const Sizes& sizes = facts_.sizes;
    // The copies' threads first: where they cannot start, no file is touched.
    if (facts_.copies > 1) copies_.emplace(facts_.copies, sizes, out_file_, fault_);
    if (!files_) {
      test_file_.open_discarding();
      out_file_.open_discarding();
    }
    if (files_ && !test_file_.open("PI.Tst")) {
      console_.message(text_record("Error opening Pi.Tst"));
      end_run_before_timing(1000);
    }
    if (files_ && !out_file_.open("PI.OUT")) {
      console_.message(text_record("Error opening Pi.Out"));
      end_run_before_timing(1001);
    }
    char start_text[8];
    char end_text[8];

    runtime::time_of_day_text(start_text, 8);
    to_console_and_file(" Speed test data: dimension is " + runtime::field_i(sizes.vector_length, 5) + "\n",
                        test_file_);
    to_console_and_file(time_record("Start time", start_text), test_file_);
    console_.progress(text_record("Calculating arctg(1/5)."));
    if (facts_.copies == 1) {
      facts_.before = runtime::os::machine_state();
      facts_.interval = timed_computation(plain_work, sizes, out_file_, console_);
      facts_.after = runtime::os::machine_state();
      facts_.marks = console_.marks;
      facts_.mark_count = console_.mark_count;
      if (fault_ != nullptr) fault_(plain_work.arctan5, 1);
      facts_.wrong_from = mp::first_wrong_decimal(plain_work.arctan5, sizes.vector_length);
    } else {
      compute_copies();
    }
    facts_.checked = !facts_.interval.cut_short;
    facts_.duration = runtime::whole_seconds(facts_.interval.start, facts_.interval.end);
    measured_ = measure(facts_);
    if (facts_.interval.cut_short) {
      console_.message(text_record("Write error."));
      end_run(903);
    }

    runtime::time_of_day_text(end_text, 8);
    to_console_and_file_after(time_record("End time  ", end_text), test_file_);
    to_console_and_file_after(ListRecord().text("Duration is").real(facts_.duration).text(" sec").str(), test_file_);
    Workspace& work = copies_work_ ? *copies_work_ : plain_work;
    runtime::group_records(work.block, " Pi = 3.", 9, groups_of(work.arctan5, sizes));
    to_file_after(work.block, out_file_);
  }

  // The copies side by side; the first one's vectors stay for PI.OUT.
  void compute_copies() {
    CopiesResult copies = copies_->run();
    facts_.interval = copies.interval;
    facts_.before = copies.before;
    facts_.after = copies.after;
    const CopyResult& first = copies.copies.front();
    facts_.marks = first.marks;
    facts_.mark_count = first.mark_count;
    for (std::size_t i = 0; i < copies.copies.size(); ++i) {
      const CopyResult& copy = copies.copies[i];
      facts_.copy_elapsed.push_back(runtime::elapsed_seconds(copy.interval.start, copy.interval.end));
      if (copy.wrong_from != 0 && facts_.wrong_copy == 0) {
        facts_.wrong_copy = static_cast<int>(i) + 1;
        facts_.wrong_from = copy.wrong_from;
      }
    }
    facts_.interval.cut_short = copies.copies.front().interval.cut_short;
    copies_work_ = std::move(copies.first);
  }

  // Stop 904 when the printed pi, or any copy's, is not pi: a faulty
  // machine or build must not record a figure.
  void check_result() {
    if (facts_.wrong_from == 0) return;
    ListRecord record;
    record.text("The result is wrong from decimal").integer(facts_.wrong_from);
    if (facts_.copies > 1) record.text(" in copy").integer(facts_.wrong_copy);
    console_.message(record.str());
    end_run(904);
  }

  [[noreturn]] void record_file_error() {
    console_.message(text_record("Error reading/writing benchmark file."));
    end_run(912);
  }

  // Turns a duration of more than a second into the benchmark figure and
  // adds it, after the identifier on the last line, to the record file. The
  // record file's lock is given back before the run's end is told.
  void record_benchmark() {
    const float duration = facts_.duration;
    if (!(duration > 1.0f)) return;
    const long double digits = static_cast<float>(facts_.sizes.accepted_digits);
    const auto benchmark_figure = static_cast<float>(static_cast<long double>(0.0006f) * digits * digits / duration);

    runtime::FileUnit record_file;
    if (!record_file.open("Tarnoval.Dat")) {
      console_.message(text_record("Error opening Tarnoval.Dat"));
      end_run(1002);
    }
    record_file.lock_exclusive();
    runtime::FileUnit::Record50 last_line;
    if (!runtime::read_identifier(record_file, last_line)) record_file_error();
    const std::string_view identifier(last_line.data(), last_line.size());
    // A failing append still logs the name it was for.
    facts_.machine = identifier.substr(0, identifier.find_last_not_of(' ') + 1);
    console_.progress(ListRecord().text(identifier).real(benchmark_figure).str());
    {
      const runtime::InterruptsHeld held;
      if (!record_file.append_line(std::string(identifier) + " " + runtime::field_g(benchmark_figure, 15, 7))) {
        record_file_error();
      }
    }
    record_file.close();
    facts_.identifier = identifier;
    facts_.figure = benchmark_figure;
  }

  RunFacts facts_;
  Measurement measured_;
  RunEnd* at_end_;
  PiFault fault_;
  RunConsole& console_;
  AtNormalEnd normal_end_;
  bool files_;
  runtime::FileUnit test_file_, out_file_;
  std::unique_ptr<Workspace> copies_work_;
  std::optional<Copies> copies_;
};

}  // namespace

std::int32_t set_up() {
  mp::common.radix = 10000;
  const float radix_real = static_cast<float>(mp::common.radix);
  mp::common.radix_root = static_cast<std::int32_t>(std::sqrt(radix_real));
  return mp::digits_per_element(mp::common.radix);
}

Workspace::Workspace() : arctan5{}, arctan239{}, scratch1{}, scratch2{} {
  block.reserve(runtime::group_records_bound(mp::kMaxVectorLength - 1, 26));
}

Sizes sizes_of(std::int32_t digit_count, std::int32_t digits_per_element) {
  Sizes sizes{};
  sizes.group_count = (digit_count - 1) / digits_per_element + 1;
  sizes.accepted_digits = digits_per_element * sizes.group_count;
  sizes.vector_length = sizes.group_count + 1;
  return sizes;
}

void RunConsole::progress(std::string_view records) {
  if (!quiet_) runtime::console_write(records);
}

void RunConsole::message(std::string_view records) { runtime::console_write(records); }

void RunConsole::write_text_int(std::string_view text, std::int32_t value) {
  progress(ListRecord().text(text).integer(value).str());
}

void RunConsole::write_empty() { progress(ListRecord().str()); }

void RunConsole::passed_mark(std::int32_t steps_done) {
  if (mark_count < marks.size()) marks[mark_count++] = {runtime::os::mark_seconds(), steps_done};
}

TimedInterval timed_computation(Workspace& work, const Sizes& sizes, runtime::FileUnit& out_file, RunConsole& console) {
  const std::int32_t n = sizes.vector_length;
  auto& [arctan5, arctan239, scratch1, scratch2, block] = work;
  console.mark_count = 0;
  TimedInterval interval;
  interval.start = runtime::read_clocks();  // the timed interval begins
  console.passed_mark(0);
  mp::arctg(arctan5, scratch1, scratch2, n, 5, console);
  // A write that fails ends the computation there, cut short.
  const auto cut_short = [&] {
    interval.end = runtime::read_clocks();
    interval.cut_short = true;
    return interval;
  };
  runtime::group_records(block, " ArcTangent( 1 / 5 ) = 0.", 26, groups_of(arctan5, sizes));
  if (!out_file.write(block)) return cut_short();
  console.progress(ListRecord().text("Calculating arctg(1/239).").str());
  console.passed_mark(0);
  mp::arctg(arctan239, scratch1, scratch2, n, 239, console);
  runtime::group_records(block, " ArcTangent( 1/239 ) = 0.", 26, groups_of(arctan239, sizes));
  if (!out_file.write(block)) return cut_short();
  console.progress(ListRecord().text("Calculating arctg(1/5)*4.").str());
  mp::vec_mul_small(arctan5, n, 4);
  console.progress(ListRecord().text("Calculating arctg(1/5)*4-arctg(1/239).").str());
  mp::vec_sub(arctan5, arctan239, n);
  console.progress(ListRecord().text("Calculating pi=(arctg(1/5)*4-arctg(1/239))*4.").str());
  mp::vec_mul_small(arctan5, n, 4);       // the integer part 3 is dropped
  interval.end = runtime::read_clocks();  // the timed interval ends
  return interval;
}

void run_benchmark(RunEnd* at_end, PiFault fault, runtime::ByteSource* answer) {
  const std::int32_t digits_per_element = set_up();
  RunConsole console;
  const Sizes sizes = hold_dialogue(digits_per_element, answer != nullptr ? *answer : runtime::console_input());
  Run(sizes, at_end, fault, console, AtNormalEnd::kStop, true).go();
  runtime::stop();  // not reached: the run ends in a stop
}

MeasuredRun run_in_batch(const Sizes& sizes, BatchRun kind, RunEnd* at_end, PiFault fault, int copies) {
  RunConsole console(true);
  const bool measured = kind == BatchRun::kMeasured;
  return Run(sizes, measured ? at_end : nullptr, fault, console, AtNormalEnd::kReturn, measured, copies).go();
}

}  // namespace driver

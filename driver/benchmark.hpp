#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mp/console.hpp"
#include "mp/digits.hpp"
#include "runtime/clock.hpp"
#include "runtime/list_input.hpp"
#include "runtime/os.hpp"
#include "runtime/unit.hpp"

namespace driver {

// Called with pi's vector after the last combining pass, and the copy that
// computed it (from 1): a test's stand-in for a faulty machine. The program
// passes none.
using PiFault = void (*)(mp::DigitVector pi, int copy);

struct Sizes {
  std::int32_t group_count;
  std::int32_t accepted_digits;
  std::int32_t vector_length;
};

// The sizes of a run of `digit_count` digits (4..64000), raised to whole elements.
Sizes sizes_of(std::int32_t digit_count, std::int32_t digits_per_element);

// The clock readings at the start and the end of the timed interval. A
// computation cut short by a failed write of PI.OUT ends its interval there.
struct TimedInterval {
  runtime::ClockReading start{}, end{};
  bool cut_short = false;
};

// The monotonic clock read as each series starts and passes its marks.
struct SeriesMark {
  double seconds;
  std::int32_t steps_done;  // 0 at the start of a series
};
constexpr std::size_t kSeriesMarks = 2 * (static_cast<std::size_t>(mp::kMarksPerSeries) + 1);

// The console of a run: a plain run shows every line, a run of a batch
// only the messages of its stops. It also keeps the series' marks.
class RunConsole : public mp::Console {
 public:
  explicit RunConsole(bool quiet = false) : quiet_(quiet) {}
  void progress(std::string_view records);  // not shown when quiet
  void message(std::string_view records);   // always shown
  void write_text_int(std::string_view text, std::int32_t value) override;
  void write_empty() override;
  void passed_mark(std::int32_t steps_done) override;

  std::array<SeriesMark, kSeriesMarks> marks{};
  std::size_t mark_count = 0;

 private:
  bool quiet_;
};

// The digit vectors of one copy of a run, and room for the records of one
// block of PI.OUT, so that the timed interval allocates nothing.
struct Workspace {
  Workspace();
  mp::DigitStorage arctan5, arctan239, scratch1, scratch2;
  std::string block;
};

// What a run did, as far as it went.
struct RunFacts {
  Sizes sizes{};
  TimedInterval interval;
  float duration = 0;  // whole seconds, as PI.Tst shows it
  // The timed computation ran to its end and its result was checked:
  // wrong_from is the first wrong decimal, 0 for a correct result.
  bool checked = false;
  std::int32_t wrong_from = 0;
  std::string identifier;  // as recorded, blank-padded to 50; empty when nothing was
  float figure = 0;        // as recorded; 0 when nothing was
  // The machine just before and just after the timed interval, and the
  // series' marks within it.
  runtime::os::MachineState before, after;
  std::array<SeriesMark, kSeriesMarks> marks{};
  std::size_t mark_count = 0;
  // For the log of a measured run that recorded nothing: the identifier
  // the record file's last line holds, trailing blanks removed.
  std::string machine;
  // With more than one copy: the interval runs from their common release to
  // the end of the last; the marks, the figure and PI.OUT are the first
  // copy's; nothing is recorded.
  int copies = 1;
  std::vector<double> copy_elapsed;  // each copy's own timed interval, seconds
  int wrong_copy = 0;                // the first copy with a wrong result, from 1
};

// What a run measured (driver/measurement.hpp).
struct Measurement;
struct MeasuredRun;

// Told as a run ends, before its stop: with code 0 for the normal
// end, or the stop code. The run log is one.
class RunEnd {
 public:
  virtual void run_ended(const RunFacts& facts, const Measurement& measured, int code) = 0;
  // A batch's runs follow.
  virtual void batch_started() {}

 protected:
  ~RunEnd() = default;
};

// The radix and its root in common storage; returns the digits per element.
std::int32_t set_up();

// The timed interval: both series with their console lines and their
// blocks of PI.OUT, and the combination into pi in `work.arctan5`.
// Allocates nothing.
TimedInterval timed_computation(Workspace& work, const Sizes& sizes, runtime::FileUnit& out_file, RunConsole& console);

// The whole benchmark run: dialogue (its answer from `answer` when given,
// else from standard input), computation, result files, the check of the
// result, record file. Never returns: every run ends in a stop.
[[noreturn]] void run_benchmark(RunEnd* at_end = nullptr, PiFault fault = nullptr,
                                runtime::ByteSource* answer = nullptr);

// How a run of a batch goes: measured, it writes, records and logs as a
// plain run does; a warm-up run writes, records and logs nothing. Its
// console shows only the messages of a stop.
enum class BatchRun { kMeasured, kWarmUp };

// One run of a batch at `sizes` after set_up(), in `copies` copies at once:
// returns its facts and measurement at a normal end, and stops as a plain
// run does at any other, with 904 when any copy's result is wrong.
MeasuredRun run_in_batch(const Sizes& sizes, BatchRun kind, RunEnd* at_end, PiFault fault = nullptr, int copies = 1);

}  // namespace driver

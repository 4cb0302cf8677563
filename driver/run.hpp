#pragma once
// The vocabulary of one run: its sizes, its timed interval, its console,
// the vectors it computes in, the facts it leaves, and the timed
// computation of one copy.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "mp/console.hpp"
#include "mp/digits.hpp"
#include "runtime/clock.hpp"
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

// The radix and its root in common storage; returns the digits per element.
std::int32_t set_up();

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
using SeriesMarks = std::array<SeriesMark, kSeriesMarks>;

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

  SeriesMarks marks{};
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

// The first `sizes.group_count` elements of a vector: its digits after the point.
std::span<const std::int32_t> groups_of(const mp::DigitStorage& v, const Sizes& sizes);

// The timed interval: both series with their console lines and their
// blocks of PI.OUT, and the combination into pi in `work.arctan5`.
// Allocates nothing.
TimedInterval timed_computation(Workspace& work, const Sizes& sizes, runtime::FileUnit& out_file, RunConsole& console);

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
  SeriesMarks marks{};
  std::size_t mark_count = 0;
  // The identifier on the record file's last line, trailing blanks
  // removed, for the log of a run that recorded nothing.
  std::string machine;
  // With more than one copy: the interval runs from their common release to
  // the end of the last; the marks, the figure and PI.OUT are the first
  // copy's; nothing is recorded.
  int copies = 1;
  std::vector<double> copy_elapsed;  // with more than one copy, each one's own timed interval, seconds
  int wrong_copy = 0;                // the first copy with a wrong result, from 1
};

}  // namespace driver

#pragma once
#include <cstdint>
#include <string>

#include "mp/digits.hpp"
#include "runtime/clock.hpp"
#include "runtime/unit.hpp"

namespace driver {

// Called with pi's vector after the last combining pass: a test's stand-in
// for a faulty machine. The program passes none.
using PiFault = void (*)(mp::DigitVector pi);

struct Sizes {
  std::int32_t group_count;
  std::int32_t accepted_digits;
  std::int32_t vector_length;
};

// The clock readings at the start and the end of the timed interval.
struct TimedInterval {
  runtime::ClockReading start{}, end{};
};

// What a run that reached the end of its timed computation did.
struct RunFacts {
  Sizes sizes{};
  TimedInterval interval;
  float duration = 0;           // whole seconds, as PI.Tst shows it
  std::int32_t wrong_from = 0;  // the first wrong decimal; 0 for a correct result
  std::string identifier;       // as recorded, blank-padded to 50; empty when nothing was
  float figure = 0;             // as recorded; 0 when nothing was
};

// Told as such a run ends, before its stop: with code 0 for the normal
// end, or the stop code. The run log is one.
class RunEnd {
 public:
  virtual void run_ended(const RunFacts& facts, int code) = 0;

 protected:
  ~RunEnd() = default;
};

// The radix and its root in common storage, and room for PI.OUT's blocks;
// returns the digits per element.
std::int32_t set_up();

// The timed interval: both series with their console lines and their
// blocks of PI.OUT, and the combination into pi. Allocates nothing.
TimedInterval timed_computation(const Sizes& sizes, runtime::FileUnit& out_file);

// The whole benchmark run: dialogue, computation, result files, the check
// of the result, record file. Never returns: every run ends in a stop.
[[noreturn]] void run_benchmark(RunEnd* at_end = nullptr, PiFault fault = nullptr);

}  // namespace driver

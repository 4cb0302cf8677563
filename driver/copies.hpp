#pragma once
// Copies of a run's timed computation side by side, a thread each: every
// copy with its own vectors and nothing writable shared, pinned to a
// logical processor of its own where the system allows, and released
// together once all are set up.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "driver/benchmark.hpp"
#include "runtime/clock.hpp"
#include "runtime/os.hpp"
#include "runtime/unit.hpp"

namespace driver {

struct CopyResult {
  TimedInterval interval;       // its own
  std::int32_t wrong_from = 0;  // after the fault, if any
  std::array<SeriesMark, kSeriesMarks> marks{};
  std::size_t mark_count = 0;
};

struct CopiesResult {
  TimedInterval interval;  // from the release to the end of the last copy
  runtime::os::MachineState before, after;
  std::vector<CopyResult> copies;
  std::unique_ptr<Workspace> first;  // the first copy's vectors, pi in arctan5
};

// `count` copies of timed_computation at `sizes`: the first writes its
// blocks to `out_file`, the others nowhere. Each then has `fault` applied
// and its digits checked. A copy's write error stops the process as a plain
// run's does; a copy that cannot be started ends it with status 2.
CopiesResult run_copies(int count, const Sizes& sizes, runtime::FileUnit& out_file, PiFault fault);

}  // namespace driver

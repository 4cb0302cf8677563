#pragma once
// Copies of a run's timed computation side by side, a thread each: every
// copy with its own vectors and nothing writable shared, pinned to a
// logical processor of its own where the system allows, and released
// together once all are set up. A single copy (a plain run) computes on
// the calling thread, unpinned.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "driver/run.hpp"
#include "mp/common.hpp"
#include "runtime/clock.hpp"
#include "runtime/os.hpp"
#include "runtime/unit.hpp"

namespace driver {

// `count` copies of timed_computation at `sizes`: the first writes its
// blocks to `out_file` and its lines to `console`, the others nowhere. Each
// then has `fault` applied and its digits checked.
class Copies {
 public:
  // Starts every copy's thread, which sets up its vectors and waits: a
  // copy that cannot be started ends the process with status 2 here,
  // before the run touches any file.
  Copies(int count, const Sizes& sizes, runtime::FileUnit& out_file, RunConsole& console, PiFault fault);
  // Releases the copies at once and waits for the last, once, and gives
  // the run's facts: the interval from the release to the end of the last
  // copy, cut short as the first copy's was (a single copy's own), the
  // machine before and after, the first copy's marks, each copy's own time
  // and the first wrong result. Returns the first copy's vectors, pi in
  // arctan5.
  std::unique_ptr<Workspace> run(RunFacts& facts);
  // Copies never released end without computing.
  ~Copies();
  Copies(const Copies&) = delete;
  Copies& operator=(const Copies&) = delete;

 private:
  class StartLine;
  struct CopyResult {
    TimedInterval interval;       // its own
    std::int32_t wrong_from = 0;  // after the fault, if any
    SeriesMarks marks{};
    std::size_t mark_count = 0;
  };
  void copy(std::size_t i);  // a thread's
  void compute(std::size_t i, runtime::FileUnit& out, RunConsole& console);

  const Sizes sizes_;
  runtime::FileUnit& out_file_;
  RunConsole& console_;
  const PiFault fault_;
  const std::vector<int> cpus_;
  const mp::Common common_;  // the driver's set-up, for every copy
  std::vector<CopyResult> copies_;
  std::vector<std::unique_ptr<Workspace>> work_;
  std::unique_ptr<StartLine> start_;
  std::vector<std::jthread> threads_;
};

}  // namespace driver

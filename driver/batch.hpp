#pragma once
// pibench --runs N: the benchmark N times in one batch, after W warm-up
// runs, each run's files, record line and log line as a plain run's, and a
// console of the batch's own: a line a run, which were disturbed, and a
// summary. With --copies C, each run is C copies at once, measured by
// their throughput, and records nothing.
#include "driver/options.hpp"
#include "driver/run.hpp"
#include "driver/run_log.hpp"

namespace driver {

// Ends normally after the last run, or with the first stop of any run.
[[noreturn]] void run_batch(const BenchmarkOptions& options, RunLog* log, PiFault fault = nullptr);

}  // namespace driver

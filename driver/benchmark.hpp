#pragma once
// The plain run: the dialogue, one copy's computation, the record file.
#include "driver/run.hpp"
#include "driver/run_log.hpp"
#include "runtime/list_input.hpp"

namespace driver {

// The whole benchmark run: dialogue (its answer from `answer` when given,
// else from standard input), computation, result files, the check of the
// result, record file; `log` takes its line, whatever stop ends it. Never
// returns: every run ends in a stop.
[[noreturn]] void run_benchmark(RunLog* log = nullptr, PiFault fault = nullptr, runtime::ByteSource* answer = nullptr);

}  // namespace driver

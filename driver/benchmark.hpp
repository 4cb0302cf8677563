#pragma once

namespace driver {

// The whole benchmark run: dialogue, computation, result files, record
// file. Never returns: every run ends in a stop.
[[noreturn]] void run_benchmark();

}  // namespace driver

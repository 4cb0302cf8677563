#pragma once
#include "mp/digits.hpp"

namespace driver {

// Called with pi's vector after the last combining pass: a test's stand-in
// for a faulty machine. The program passes none.
using PiFault = void (*)(mp::DigitVector pi);

// The whole benchmark run: dialogue, computation, result files, the check
// of the result, record file. Never returns: every run ends in a stop.
[[noreturn]] void run_benchmark(PiFault fault = nullptr);

}  // namespace driver

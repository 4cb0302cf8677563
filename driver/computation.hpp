#pragma once
// One run from its accepted size to its checked result: its copies, the
// result files, the timed computation and the check, measured as it ends.
// It records and logs nothing: the plain run and the batch decide what
// follows.
#include "driver/measurement.hpp"
#include "driver/run.hpp"
#include "runtime/unit.hpp"

namespace driver {

// PI.Tst and PI.OUT, open until whoever ran the run ends it.
struct ResultFiles {
  runtime::FileUnit test, out;
};

// `copies` copies at `sizes` after set_up(): their threads started, then
// the result files opened (`files` null: a warm-up's, written nowhere),
// PI.Tst's lines, the timed computation, PI.OUT's blocks and every copy's
// result checked. A stop's message goes to `console`; the facts come back
// measured with the stop met: 1000 or 1001 for a result file that cannot be
// opened, 903 for a failed write, 904 for a wrong result in any copy.
MeasuredRun compute(const Sizes& sizes, int copies, ResultFiles* files, RunConsole& console, PiFault fault);

}  // namespace driver

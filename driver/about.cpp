#include "driver/about.hpp"

#include <string>

#include "driver/build_info.hpp"
#include "runtime/stop.hpp"
#include "runtime/unit.hpp"

namespace driver {

void show_version() {
  runtime::console_write(std::string("pibench ") + build_info::kVersion + "\ncompiler: " + build_info::kCompiler +
                         "\ntarget: " + build_info::kTarget + "\nbuild: " + build_info::kBuildType + ", " +
                         (build_info::kOptimised ? "optimised" : "NOT optimised: its figures are not comparable") +
                         "\n");
  runtime::stop();
}

void show_help() {
  runtime::console_write(
      "Usage: pibench                 run the benchmark\n"
      "       pibench --log FILE      run it, and append a precise record of the run to FILE\n"
      "       pibench --report [--format text|markdown|csv|json|svg] [--reference NAME] [FILE...]\n"
      "                               compare the machines in record files and run logs\n"
      "       pibench --version | --help\n"
      "\n"
      "A benchmark of computing power. It asks how many digits of pi to compute\n"
      "(4 to 64000, raised to a multiple of 4), computes them with Machin's formula\n"
      "and times the computation in whole seconds. In the current directory it writes\n"
      "  PI.OUT        arctan(1/5), arctan(1/239) and pi, 100 digits a line\n"
      "  PI.Tst        the size of the run, its start and end times and its duration\n"
      "and, when the computation took more than 1 second, appends to\n"
      "  Tarnoval.Dat  the first 50 characters of its last line (the computer's name)\n"
      "                and the figure 0.0006 x digits x digits / seconds (higher is faster).\n"
      "\n"
      "--log FILE appends one JSON object a run (JSON Lines): the build, the start, the\n"
      "identifier and figure as recorded, the digits, the whole seconds, the elapsed time\n"
      "to the microsecond and the precise figure it gives, the result, the stop code,\n"
      "and the processor, system and frequency governor.\n"
      "\n"
      "--report reads record files (Tarnoval.Dat by default) and run logs, changes\n"
      "nothing, and shows per machine the runs, the median, best and worst figures, the\n"
      "spread (best - worst) / median and the median relative to the reference machine\n"
      "(--reference, or the fastest). Compare medians of several runs at 64000 digits.\n"
      "\n"
      "Exit status: 0 after a normal run; 1 after a stop with a code, whose\n"
      "\"STOP nnn statement executed\" goes to standard error, or when the run log\n"
      "cannot be written; 2 for a command line or a file named on it that cannot be\n"
      "used; a signal ends it as usual. See pibench(1), or man/pibench.1 in the sources.\n");
  runtime::stop();
}

}  // namespace driver

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
      "       pibench [--digits D] [--runs N] [--warmup W] [--copies C|all]\n"
      "               [--batches B] [--pause S] [--log FILE]\n"
      "                               answer D (4..64000); a batch of N runs (1..1000) after\n"
      "                               W warm-up runs (0..100); C copies at once (1..1024);\n"
      "                               B batches (1..100) S seconds apart (0..86400);\n"
      "                               a precise record of each run\n"
      "       pibench --report [--format text|markdown|csv|json|svg|html] [--reference NAME]\n"
      "                        [--all-runs] [--wide] [--fail-on-change SINCE] [FILE...]\n"
      "                               compare the machines in record files and run logs;\n"
      "                               status 3 when a machine's level changed since SINCE\n"
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
      "batch and the run's place in it, the identifier and figure as recorded, the\n"
      "digits, the whole seconds, the elapsed time\n"
      "to the microsecond and the precise figure it gives, the result, the stop code,\n"
      "the processor time, frequency, load, steal time and the pace of eight slices of\n"
      "the run, the reasons it was disturbed, and the processor, system and governor.\n"
      "\n"
      "--runs N measures a machine in one command: N runs (of 64000 digits unless\n"
      "--digits says), each writing its files, record line and log line as a plain run;\n"
      "a line a run and a summary. A run is disturbed when its processor time is below\n"
      "97% of its elapsed time, its frequency drops by more than 10%, the host's steal\n"
      "time passes 1%, or a slice of a series runs below 0.70 of the fastest's pace.\n"
      "--batches B runs B such batches one after another, each with its warm-up runs,\n"
      "--pause S seconds apart, and compares their medians: runs within a batch share\n"
      "the host's pace of the moment, and only batches show how it drifts.\n"
      "\n"
      "--copies C makes each run of a batch C copies of the whole computation at once,\n"
      "a thread each, on a logical processor of its own where the system allows; all is\n"
      "a copy for each logical processor pibench may run on. Their figure is the\n"
      "throughput, C x 0.0006 x digits x digits / the seconds from their common start\n"
      "to the end of the last. PI.OUT holds the first copy's digits, PI.Tst the whole\n"
      "interval; the record file is not touched. A wrong result in any copy stops with\n"
      "904. Two copies on the two hardware threads of one core share that core: expect\n"
      "far less than twice one copy's figure from them.\n"
      "\n"
      "--report reads record files (Tarnoval.Dat by default) and run logs, changes\n"
      "nothing, and shows per machine the runs, the median, best and worst figures, the\n"
      "spread (best - worst) / median and the median relative to the reference machine\n"
      "(--reference, or the fastest), and the disturbed runs, which are left out of the\n"
      "medians unless --all-runs; the median's 95% interval (from 6 runs), the ratio to\n"
      "the reference over batches (the geometric mean of each batch's median) with its\n"
      "95% interval (Welch's t on their logarithms, from 2 batches a side) and a verdict:\n"
      "faster, slower, no difference found, one batch: measure again later. Runs of\n"
      "several copies make rows of their own, compared at as many copies, with their\n"
      "scaling: the median throughput / (copies x the median at one copy).\n"
      "Compare several runs at 64000 digits.\n"
      "\n"
      "Exit status: 0 after a normal run; 1 after a stop with a code, whose\n"
      "\"STOP nnn statement executed\" goes to standard error, or when the run log\n"
      "cannot be written; 2 for a command line or a file named on it that cannot be\n"
      "used; a signal ends it as usual. See pibench(1), or man/pibench.1 in the sources.\n");
  runtime::stop();
}

}  // namespace driver

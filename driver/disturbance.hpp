#pragma once
// What tells a disturbed run, with every threshold in one place: another
// process taking the processor, a frequency drop, a virtual machine's host
// giving the time to others, an uneven pace within the series, and copies
// of a run that took unequal times.
#include <optional>
#include <string>
#include <vector>

#include "driver/run.hpp"
#include "runtime/log_keys.hpp"

namespace driver {

struct DisturbanceThresholds {
  double min_cpu_share;       // of the elapsed time spent by the run itself; of each copy's own
  double max_frequency_drop;  // from the start to the end of the interval
  double max_steal_share;     // of the elapsed time
  double min_evenness;        // the slowest slice's pace over the fastest's, within a series
  double min_slice_seconds;   // slices shorter than this are too short to judge
  double min_copy_balance;    // the fastest copy's time over the slowest's
};
constexpr DisturbanceThresholds kDisturbance{0.97, 0.10, 0.01, 0.70, 0.05, 0.90};

// A reason a run was disturbed: its kind, and its words with the figure
// that tells it, as the log and the console show them.
struct Disturbance {
  runtime::log_key::DisturbanceKind kind;
  std::string words;
};

// The measures of one run and the reasons it was disturbed.
struct RunHealth {
  double elapsed = 0;
  std::optional<double> cpu_seconds, steal_seconds, load_average;
  std::optional<double> frequency_start, frequency_end;  // MHz
  std::vector<double> slices;                            // each slice's pace, steps per second
  std::optional<double> evenness;                        // the smallest slowest-over-fastest of a series
  std::optional<double> copy_balance;                    // with copies: the fastest's time over the slowest's
  // nullopt when nothing could be measured; empty for a clean run.
  std::optional<std::vector<Disturbance>> disturbed;
};

RunHealth assess(const RunFacts& facts);

}  // namespace driver

#pragma once
// What a run measured, worked out once from its facts as it ends: the log
// line, the batch's console line and its summary all take it from here.
#include <optional>
#include <vector>

#include "driver/disturbance.hpp"
#include "driver/run.hpp"

namespace driver {

struct Measurement {
  double elapsed = 0;                // the interval, seconds to the microsecond
  std::vector<double> copy_elapsed;  // each copy's own interval, to the microsecond
  // 0.0006 x digits^2 / seconds over the run's own (its first copy's)
  // interval, and its throughput, that of all its copies over the interval
  // from their release to the end of the last: the precise figure times
  // the copies when they all took equally long. nullopt for an interval
  // that is not positive or was cut short.
  std::optional<double> precise_figure, throughput;
  RunHealth health;
  // The figure a batch and the report count: the throughput, which is the
  // precise figure for one copy.
  std::optional<double> counted() const { return throughput; }
  bool disturbed() const { return health.disturbed && !health.disturbed->empty(); }
};

Measurement measure(const RunFacts& facts);

// A run as it ended: its facts, what they measured, and the stop it met
// (0 for its normal end).
struct MeasuredRun {
  RunFacts facts;
  Measurement measured;
  int stop = 0;
};

}  // namespace driver

#pragma once
// pibench --log FILE: one JSON object a run, appended to FILE (JSON Lines).
#include <string>

#include "driver/measurement.hpp"
#include "runtime/unit.hpp"

namespace driver {

class RunLog {
 public:
  // Opens (or creates) the log before the dialogue. Says so on standard
  // error and ends with status 2 when it cannot be written, or when it is
  // the record file, PI.OUT or PI.Tst by any name (the null device may be
  // any of them).
  explicit RunLog(const char* name);

  // The line of a run, whatever stop ended it, appended whole or not at
  // all, without reading the log; a failure is said on standard error and
  // makes the exit status 1 where the run would have ended with 0. A run
  // that recorded nothing is logged under the record file's last name.
  void run_ended(const MeasuredRun& run);

  // The runs logged from now on are a new batch's: a new name, counted from 1.
  void batch_started();

 private:
  runtime::FileUnit file_;
  std::string name_;
  std::string batch_;
  int run_ = 0;
};

// A logged run's batch and its place in it, from 1.
struct BatchPlace {
  std::string batch;
  int run;
};

// The log line of one run as JSON (without its line end), under `machine`
// when it recorded nothing.
std::string log_line(const MeasuredRun& run, const std::string& machine, const BatchPlace& place);

}  // namespace driver

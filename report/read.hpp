#pragma once
// Record files and run logs read into runs: each line is a record line, a
// log line, or skipped and counted, whatever else the file holds.
#include <cstddef>
#include <optional>
#include <string_view>

#include "report/runs.hpp"
#include "runtime/unit.hpp"

namespace report {

// A record line as a run: its machine, its figure when finite and positive.
std::optional<Run> record_run(const runtime::FileUnit::Line& line);

// A run log's line as a run: a JSON object with the keys of a log line, a
// correct result, digits within 4..64000 and a finite positive precise
// figure. The machine is its identifier, or its processor when it recorded
// no figure.
std::optional<Run> log_run(std::string_view line);

// The longest line read, far beyond any log's: a longer one is skipped
// and counted.
constexpr std::size_t kMaxLine = std::size_t{16} << 20;

// Every line of an open file, the `source`th read, into `runs`; false on a
// read error.
bool read_runs(runtime::FileUnit& file, Runs& runs, int source = 0);

}  // namespace report

#pragma once
// pibench --log FILE: one JSON object a run, appended to FILE (JSON Lines),
// and the report's reading of such a file.
#include <optional>
#include <string_view>

#include "driver/benchmark.hpp"
#include "driver/report.hpp"

namespace driver {

// Opens (or creates) the log before the dialogue; says so on standard
// error and ends with status 2 when it cannot be written.
void open_run_log(const char* name);

// The line of a run that reached the end of its timed computation, appended
// whole or not at all; a failure is said on standard error and makes the
// exit status 1. Nothing happens when no log is open.
void log_run(const RunFacts& facts, int stop_code);

// The log line of one run as JSON (without its line end).
std::string log_line(const RunFacts& facts, int stop_code);

// A log line as a run for the report: the machine its identifier, or its
// processor when it recorded no figure; its figure the precise one. nullopt
// for a line that is not a run's object.
std::optional<Run> parse_log_run(std::string_view line);

}  // namespace driver

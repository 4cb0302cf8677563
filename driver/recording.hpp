#pragma once
// The record file, Tarnoval.Dat: a run's figure appended after the
// identifier on its last line.
#include <string>

#include "driver/run.hpp"

namespace driver {

// Turns a duration of more than a second into the benchmark figure and adds
// it, after the identifier on the last line, to the record file, setting
// `facts.identifier` and `facts.figure` (and `facts.machine`, even when the
// append fails). The file's lock is given back on return. Returns the stop
// met, with its message on `console`: 1002 when the file cannot be opened,
// 912 when it cannot be read or appended to; 0 otherwise.
int record(RunFacts& facts, RunConsole& console);

// The last line's identifier, trailing blanks removed, without touching the
// file; empty when it cannot be read.
std::string record_file_identifier();

}  // namespace driver

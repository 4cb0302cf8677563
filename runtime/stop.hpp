#pragma once
// The end of every run, and the process set-up that goes with it.

#include <string_view>

namespace runtime {

// Rounding to nearest, exceptions masked; closed standard streams
// connected to the null device; writes that fail report it rather than end
// the process (SIGPIPE and SIGXFSZ ignored). Interrupts and the other
// signals that end a process keep doing so, by that signal: the result
// files already hold only what was written (see unit.hpp).
void start_process();

// The normal end: nothing written, units closed, exit status 0.
[[noreturn]] void stop();

// "STOP <code> statement executed" on standard error, units closed, exit status 1.
[[noreturn]] void stop(int code);

// Ends with `status` after closing the units, writing nothing.
[[noreturn]] void exit_with_status(int status);

// `message` and a line end on standard error, units closed, exit status 2:
// a command line or a file named on it that cannot be used.
[[noreturn]] void exit_with_error(std::string_view message);

// Holds interrupts and terminating signals back while it lives, so that
// what it guards is done whole before they end the process.
class InterruptsHeld {
 public:
  InterruptsHeld();
  ~InterruptsHeld();
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;
};

}  // namespace runtime

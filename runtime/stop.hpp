#pragma once
// The end of every run, and the process set-up that goes with it.

namespace runtime {

// Extended precision, rounding to nearest, exceptions masked; SIGPIPE and
// SIGXFSZ ignored, so that writes fail rather than end the process; SIGINT
// and SIGTERM end the process as a stop would, by that signal.
void start_process();

// The normal end: nothing written, units closed, exit status 0.
[[noreturn]] void stop();

// "STOP <code> statement executed" on standard error, units closed, exit status 1.
[[noreturn]] void stop(int code);

// Holds SIGINT and SIGTERM back while it lives.
class InterruptsHeld {
 public:
  InterruptsHeld();
  ~InterruptsHeld();
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;
};

}  // namespace runtime

#include "runtime/stop.hpp"

#include <fenv.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/unit.hpp"

namespace runtime {

namespace {

void on_interrupt(int signal_number) {
  close_all_units();
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

sigset_t interrupt_set() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

}  // namespace

void start_process() {
  fesetenv(FE_DFL_ENV);
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);  // a file-size limit fails the write instead
  struct sigaction action {};
  action.sa_handler = on_interrupt;
  action.sa_mask = interrupt_set();
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

void stop() {
  close_all_units();
  std::_Exit(0);
}

void stop(int code) {
  const std::string message = "STOP " + std::to_string(code) + " statement executed\n";
  (void)::write(2, message.data(), message.size());
  close_all_units();
  std::_Exit(1);
}

InterruptsHeld::InterruptsHeld() {
  const sigset_t set = interrupt_set();
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

InterruptsHeld::~InterruptsHeld() {
  const sigset_t set = interrupt_set();
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

}  // namespace runtime

#include "runtime/stop.hpp"

#include <cfenv>
#include <string>

#include "runtime/os.hpp"
#include "runtime/unit.hpp"

namespace runtime {

void start_process() {
  std::fesetenv(FE_DFL_ENV);
  os::start_process();
}

void stop() {
  close_all_units();
  os::exit_process(0);
}

void stop(int code) {
  error_write("STOP " + std::to_string(code) + " statement executed\n");
  close_all_units();
  os::exit_process(1);
}

void exit_with_status(int status) {
  close_all_units();
  os::exit_process(status);
}

void exit_with_error(std::string_view message) {
  error_write(std::string(message) + "\n");
  exit_with_status(2);
}

InterruptsHeld::InterruptsHeld() { os::block_interrupts(); }

InterruptsHeld::~InterruptsHeld() { os::unblock_interrupts(); }

}  // namespace runtime

#pragma once
// What the command line asks for: no argument, the benchmark as it always
// was; anything else one of the options beside it, or an error that
// starts nothing.
#include <string>
#include <vector>

#include "driver/run.hpp"

namespace driver {

// Never returns: every command ends in a stop or an exit. `fault` is a
// test's faulty machine, as run_benchmark takes it.
[[noreturn]] void run_command_line(const std::vector<std::string>& args, PiFault fault = nullptr);

}  // namespace driver

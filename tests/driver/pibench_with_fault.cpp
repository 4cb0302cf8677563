// The program on a faulty machine: PIBENCH_FAULT_GROUP=g adds 5000 (mod
// 10000) to group g (counted from 0) of pi after the last combining pass,
// in every copy, or in copy PIBENCH_FAULT_COPY (from 1) alone. The command
// line as the program takes it.
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/command_line.hpp"
#include "runtime/stop.hpp"

int main(int argc, char** argv) {
  runtime::start_process();
  driver::run_command_line(std::vector<std::string>(argv + 1, argv + argc), [](mp::DigitVector pi, int copy) {
    const char* group = std::getenv("PIBENCH_FAULT_GROUP");
    const char* only = std::getenv("PIBENCH_FAULT_COPY");
    if (group == nullptr || (only != nullptr && std::atoi(only) != copy)) return;
    mp::Digit& g = pi[static_cast<std::size_t>(std::atoi(group))];
    g = (g + 5000) % 10000;
  });
}

#include <string>
#include <vector>

#include "driver/command_line.hpp"
#include "runtime/stop.hpp"

int main(int argc, char** argv) {
  runtime::start_process();
  driver::run_command_line(std::vector<std::string>(argv + 1, argv + argc));
}

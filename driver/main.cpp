#include <string_view>

#include "driver/about.hpp"
#include "driver/benchmark.hpp"
#include "runtime/stop.hpp"

// Any argument but these two is ignored.
int main(int argc, char** argv) {
  runtime::start_process();
  if (argc > 1 && std::string_view(argv[1]) == "--version") driver::show_version();
  if (argc > 1 && std::string_view(argv[1]) == "--help") driver::show_help();
  driver::run_benchmark();
}

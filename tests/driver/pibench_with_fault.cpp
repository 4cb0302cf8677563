// The program on a faulty machine: PIBENCH_FAULT_GROUP=g adds 5000 (mod
// 10000) to group g (counted from 0) of pi after the last combining pass.
#include <cstdlib>

#include "driver/benchmark.hpp"
#include "runtime/stop.hpp"

int main() {
  runtime::start_process();
  driver::run_benchmark([](mp::DigitVector pi) {
    if (const char* group = std::getenv("PIBENCH_FAULT_GROUP")) {
      mp::Digit& g = pi[static_cast<std::size_t>(std::atoi(group))];
      g = (g + 5000) % 10000;
    }
  });
}

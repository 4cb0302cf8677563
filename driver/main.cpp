#include "driver/benchmark.hpp"
#include "runtime/stop.hpp"

int main() {
  runtime::start_process();
  driver::run_benchmark();
}

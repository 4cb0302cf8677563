// The program on a faulty machine: PIBENCH_FAULT_GROUP=g adds 5000 (mod
// 10000) to group g (counted from 0) of pi after the last combining pass.
// "--log FILE" as the program takes it.
#include <cstdlib>
#include <optional>
#include <string_view>

#include "driver/benchmark.hpp"
#include "driver/run_log.hpp"
#include "runtime/stop.hpp"

int main(int argc, char** argv) {
  runtime::start_process();
  const bool logged = argc == 3 && std::string_view(argv[1]) == "--log";
  std::optional<driver::RunLog> log;
  if (logged) log.emplace(argv[2]);
  driver::run_benchmark(log ? &*log : nullptr, [](mp::DigitVector pi) {
    if (const char* group = std::getenv("PIBENCH_FAULT_GROUP")) {
      mp::Digit& g = pi[static_cast<std::size_t>(std::atoi(group))];
      g = (g + 5000) % 10000;
    }
  });
}

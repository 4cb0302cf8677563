#include "runtime/clock.hpp"

#include <cstring>

namespace runtime {

std::time_t calendar_time() { return std::time(nullptr); }

float seconds_since(std::time_t start) {
  return static_cast<float>(static_cast<double>(calendar_time()) - static_cast<double>(start));
}

void time_of_day_text(char* buffer, int /*length*/) {
  const std::time_t now = calendar_time();
  const char* text = std::ctime(&now);  // "Www Mmm dd hh:mm:ss yyyy\n"
  std::memcpy(buffer, text + 11, 8);
}

}  // namespace runtime

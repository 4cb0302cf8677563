#include "runtime/clock.hpp"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "runtime/os.hpp"

namespace runtime {

ClockReading read_clocks() {
  const std::time_t calendar = std::time(nullptr);
  return {calendar, os::monotonic_seconds()};
}

double elapsed_seconds(const ClockReading& start, const ClockReading& end) { return end.monotonic - start.monotonic; }

float whole_seconds(const ClockReading& start, const ClockReading& end) {
  const double calendar = static_cast<double>(end.calendar) - static_cast<double>(start.calendar);
  const double monotonic = elapsed_seconds(start, end);
  if (std::fabs(calendar - monotonic) < 1.0) return static_cast<float>(calendar);
  return static_cast<float>(std::round(monotonic));
}

std::string local_time_iso8601(std::time_t time) {
  const std::tm local = *std::localtime(&time);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  const long offset = os::utc_offset(time);
  const long minutes = (offset < 0 ? -offset : offset) / 60;
  char zone[32];
  std::snprintf(zone, sizeof zone, "%c%02ld:%02ld", offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
  return std::string(text) + zone;
}

void time_of_day_text(char* buffer, int /*length*/) {
  const std::time_t now = std::time(nullptr);
  const char* text = std::ctime(&now);  // "Www Mmm dd hh:mm:ss yyyy\n"
  std::memcpy(buffer, text + 11, 8);
}

}  // namespace runtime

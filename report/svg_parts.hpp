#pragma once
// What the report's pictures share: coordinates as text, and a row's name.
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "report/statistics.hpp"

namespace report {

// Coordinates, which are small: one decimal, or none.
inline std::string fixed(double value) {
  const long long tenths = std::llround(value * 10);
  char text[32];
  char* end = std::to_chars(text, text + sizeof text, tenths / 10).ptr;
  if (tenths < 0 && tenths > -10) {
    std::memmove(text + 1, text, static_cast<std::size_t>(end++ - text));
    text[0] = '-';
  }
  *end++ = '.';
  *end++ = static_cast<char>('0' + std::llabs(tenths) % 10);
  return {text, end};
}
inline std::string fixed0(double value) { return std::to_string(std::llround(value)); }

// A row's machine, and its copies where it ran more than one.
inline std::string row_name(const MachineSummary& m) {
  return m.copies > 1 ? m.machine + " (" + std::to_string(m.copies) + " copies)" : m.machine;
}

}  // namespace report

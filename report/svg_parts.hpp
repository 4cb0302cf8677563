#pragma once
// What the report's pictures and the page share: coordinates as text, a
// row's name and figures, the axis's end, and the colours.
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "report/columns.hpp"
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

// A row's median with its runs and digits, as the medians chart writes it
// beside the bar.
inline std::string median_figures(const MachineSummary& m) {
  return figure_text(m.median) + " (" + std::to_string(m.runs) + (m.runs == 1 ? " run" : " runs") +
         (m.digits > 0 ? ", " + std::to_string(m.digits) + " digits)" : ")");
}

// Where the medians chart's axis ends: the first of 1, 2, 2.5 or 5 times a
// power of ten at or past the best figure.
inline double axis_end(double best) {
  const double step = best > 0 ? std::pow(10.0, std::floor(std::log10(best))) : 1;
  for (const double m : {1.0, 2.0, 2.5, 5.0, 10.0}) {
    if (m * step >= best) return std::isfinite(m * step) ? m * step : best;
  }
  return step;
}

// The colours, the same in every picture and on the page.
namespace colour {
constexpr const char* kBar = "#4a7ebb";        // a bar, and every other batch
constexpr const char* kInterval = "#e07b00";   // the median's interval, and the batches between
constexpr const char* kFaster = "#1a7f37";     // a machine found faster
constexpr const char* kSlower = "#b42318";     // found slower; a disturbed run
constexpr const char* kNoVerdict = "#666666";  // any other verdict
constexpr const char* kBand = "#e6e6e6";       // the band of 1 % around the reference
}  // namespace colour

// A verdict's colour: its words' on the page, its interval's in the
// comparison chart.
inline const char* verdict_colour(Verdict verdict) {
  switch (verdict) {
    case Verdict::kFaster:
      return colour::kFaster;
    case Verdict::kSlower:
    case Verdict::kAllDisturbed:
      return colour::kSlower;
    default:
      return colour::kNoVerdict;
  }
}

}  // namespace report

#include "report/columns.hpp"

#include <charconv>
#include <cmath>
#include <iterator>

namespace report {

namespace {

using Json = nlohmann::ordered_json;

std::string digits_text(const MachineSummary& m) { return m.digits > 0 ? std::to_string(m.digits) : ""; }
Json digits_json(const MachineSummary& m) { return m.digits > 0 ? Json(m.digits) : Json(nullptr); }

// Fixed point while it stays short; a ratio of extreme figures in exponent form.
std::string short_fixed(double value, int decimals, const char* suffix = "") {
  return std::fabs(value) < 1e6 ? formatted(value, std::chars_format::fixed, decimals) + suffix
                                : formatted(value, std::chars_format::scientific, 3) + suffix;
}

// Rounded to 4 decimals where that keeps it finite.
Json rounded(double value) { return std::fabs(value) < 1e12 ? std::round(value * 1e4) / 1e4 : value; }

constexpr Column kColumns[] = {
    {"digits", "digits", 8, digits_text, digits_text, digits_json},
    {"runs", "runs ", 9,
     [](const MachineSummary& m) { return std::to_string(m.runs) + (m.runs < kFewRuns ? "*" : " "); },
     [](const MachineSummary& m) { return std::to_string(m.runs); },
     [](const MachineSummary& m) { return Json(m.runs); }},
    {"median", "median", 12, [](const MachineSummary& m) { return figure_text(m.median); },
     [](const MachineSummary& m) { return figure_text(m.median); },
     [](const MachineSummary& m) { return Json(m.median); }},
    {"best", "best", 13, [](const MachineSummary& m) { return figure_text(m.best); },
     [](const MachineSummary& m) { return figure_text(m.best); }, [](const MachineSummary& m) { return Json(m.best); }},
    {"worst", "worst", 13, [](const MachineSummary& m) { return figure_text(m.worst); },
     [](const MachineSummary& m) { return figure_text(m.worst); },
     [](const MachineSummary& m) { return Json(m.worst); }},
    {"spread", "spread", 8, [](const MachineSummary& m) { return short_fixed(m.spread * 100, 1, "%"); },
     [](const MachineSummary& m) { return short_fixed(m.spread, 4); },
     [](const MachineSummary& m) { return rounded(m.spread); }},
    {"relative", "relative", 10, [](const MachineSummary& m) { return short_fixed(m.relative, 3); },
     [](const MachineSummary& m) { return short_fixed(m.relative, 4); },
     [](const MachineSummary& m) { return rounded(m.relative); }},
    {"disturbed", "disturbed", 11, [](const MachineSummary& m) { return std::to_string(m.disturbed); },
     [](const MachineSummary& m) { return std::to_string(m.disturbed); },
     [](const MachineSummary& m) { return Json(m.disturbed); }},
};

}  // namespace

std::span<const Column> columns() { return kColumns; }

std::string formatted(double value, std::chars_format form, int precision) {
  char text[512];
  const auto end = std::to_chars(std::begin(text), std::end(text), value, form, precision).ptr;
  return {text, end};
}

std::string figure_text(double figure) { return formatted(figure, std::chars_format::general, 7); }

}  // namespace report

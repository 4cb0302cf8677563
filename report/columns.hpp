#pragma once
// The columns of a report's row after the machine, listed once for every
// format that has columns.
#include <charconv>
#include <nlohmann/json_fwd.hpp>
#include <span>
#include <string>

#include "report/statistics.hpp"

namespace report {

// A format leaves out a column whose cell it has no function for.
struct Column {
  const char* key;    // the CSV header's and the JSON object's name
  const char* title;  // the text and Markdown header's
  int width;          // text: right-aligned in this many columns
  std::string (*text)(const MachineSummary&);
  std::string (*csv)(const MachineSummary&);
  nlohmann::ordered_json (*json)(const MachineSummary&);
  // The text table's, which shows only the columns that have one, in this
  // order, the last left-aligned; nullptr elsewhere.
  std::string (*narrow)(const MachineSummary&) = nullptr;
};

std::span<const Column> columns();
const Column& verdict_column();  // the verdict's, one of columns()

// A number as printf's %.Nf, %.Ne and %.Ng write it.
std::string formatted(double value, std::chars_format form, int precision);

// Fixed point while it stays short (below 1e6); exponent form beyond.
std::string short_fixed(double value, int decimals, const char* suffix = "");

// A figure as every format shows it: 7 significant digits.
std::string figure_text(double figure);

}  // namespace report

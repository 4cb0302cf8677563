#pragma once
// Fields and records as the Fortran run-time library writes them, for the
// edit descriptors and list-directed items this program uses.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace runtime {

// Iw, or Iw.m with min_digits >= 0: right-aligned in w columns, at least m
// digits with leading zeros, w asterisks when the number does not fit.
std::string field_i(std::int64_t value, int width, int min_digits = -1);

// Gw.d of a single-precision value: Fw-4.(d-i) and four blanks for
// 0.1 <= |value| < 10^d, Ew.d otherwise.
std::string field_g(float value, int width, int decimals);

// The records of "(label, (Tcolumn, 25I4.4))" for the groups: the label then
// groups from `column` on, 25 groups a record; each further record starts
// at `column` too. Every record ends with a newline.
std::string group_records(std::string_view label, int column, std::span<const std::int32_t> groups);

// A list-directed output record: items in order, with the library's spacing
// and a new line where an item would reach column 80.
class ListRecord {
 public:
  ListRecord& text(std::string_view value);
  ListRecord& integer(std::int64_t value);
  ListRecord& real(float value);
  // The finished record(s), newline included.
  std::string str() const { return line_ + '\n'; }

 private:
  void item(std::string_view value, bool lead_blank_only_at_start);
  std::string line_;
  std::size_t record_start_ = 0;
};

// The list-directed form of a single-precision value: a blank, a blank or
// minus sign, and up to 9 significant digits with a decimal point.
std::string list_real(float value);

}  // namespace runtime

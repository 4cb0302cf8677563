#pragma once
// Fields and records as the Fortran run-time library writes them, for the
// edit descriptors and list-directed items this program uses.
#include <array>
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

// The records of "(label, (Tcolumn, 25I4.4))" for the groups, into `out`
// (cleared first): the label then groups from `column` on, 25 groups a
// record; each further record starts at `column` too. Every record ends with
// a newline. Nothing is allocated when out has group_records_bound() room.
void group_records(std::string& out, std::string_view label, int column, std::span<const std::int32_t> groups);

// Room enough for group_records of `count` groups with a label of at most
// `column` - 1 characters.
constexpr std::size_t group_records_bound(std::size_t count, int column) {
  const auto margin = static_cast<std::size_t>(column);
  return count * 4 + (count / 25 + 1) * margin;
}

// A list-directed output record: items in order, with the library's spacing
// and a new line where an item would reach column 80. Held in place, never
// allocated; an item that would overflow its room is cut.
class ListRecord {
 public:
  ListRecord& text(std::string_view value);
  ListRecord& integer(std::int64_t value);
  ListRecord& real(float value);
  // The finished record(s), newline included.
  std::string_view str() {
    line_[size_] = '\n';
    return {line_.data(), size_ + 1};
  }

 private:
  void item(std::string_view value, bool lead_blank_only_at_start);
  void append(std::string_view value);
  std::array<char, 256> line_{};
  std::size_t size_ = 0;
  std::size_t record_start_ = 0;
};

// The list-directed form of a single-precision value: a blank, a blank or
// minus sign, and up to 9 significant digits with a decimal point.
std::string list_real(float value);

}  // namespace runtime

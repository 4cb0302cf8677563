#include "runtime/format.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace runtime {

namespace {

constexpr std::size_t kLineLength = 79;  // an item reaching column 80 opens a new line

std::string printf_string(const char* format, int precision, double value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, precision, value);
  return buffer;
}

std::string stars(int width) { return std::string(static_cast<std::size_t>(width), '*'); }

// Fw.d: a leading zero before the point is dropped.
std::string field_f(double value, int width, int decimals) {
  const bool negative = value < 0;
  std::string digits = printf_string("%#.*f", decimals, std::fabs(value));
  if (digits[0] == '0' && decimals > 0) digits.erase(0, 1);
  const bool all_zero = digits.find_first_not_of("0.") == std::string::npos;
  if (negative && !all_zero) digits.insert(0, 1, '-');
  if (static_cast<int>(digits.size()) > width) return stars(width);
  return std::string(static_cast<std::size_t>(width) - digits.size(), ' ') + digits;
}

// Ew.d with a two-digit exponent field: ".ddddddE+xx".
std::string field_e(double value, int width, int decimals) {
  const bool negative = value < 0;
  const double magnitude = std::fabs(value);
  std::string mantissa;
  int exponent = 0;
  if (magnitude != 0) {
    const std::string e = printf_string("%#.*E", decimals - 1, magnitude);
    const std::size_t at = e.find('E');
    mantissa = e.substr(0, 1).append(e, 2, at - 2);
    exponent = std::atoi(e.c_str() + at + 1) + 1;
  } else {
    mantissa = std::string(static_cast<std::size_t>(decimals), '0');
  }
  char exp_text[16];
  std::snprintf(exp_text, sizeof exp_text, "E%+.2d", exponent);  // single precision: two digits
  const std::string exp_field = exp_text;
  std::string body = negative ? "-." : ".";
  body.append(mantissa).append(exp_field);
  if (static_cast<int>(body.size()) > width) return stars(width);
  return std::string(static_cast<std::size_t>(width) - body.size(), ' ') + body;
}

}  // namespace

std::string field_i(std::int64_t value, int width, int min_digits) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  if (min_digits == 0 && value == 0) digits.clear();
  if (static_cast<int>(digits.size()) < min_digits) {
    digits.insert(0, static_cast<std::size_t>(min_digits) - digits.size(), '0');
  }
  if (value < 0) digits.insert(0, 1, '-');
  if (static_cast<int>(digits.size()) > width) return stars(width);
  return std::string(static_cast<std::size_t>(width) - digits.size(), ' ') + digits;
}

std::string field_g(float value, int width, int decimals) {
  const double x = value;
  const double magnitude = std::fabs(x);
  if (magnitude < 0.1 && magnitude != 0) return field_e(x, width, decimals);
  double up = 1;
  for (int i = 0; i <= decimals; ++i, up *= 10) {
    if (magnitude >= up && magnitude != 0) continue;
    const int before_point = magnitude == 0 ? 1 : i;
    return field_f(x, width - 4, decimals - before_point) + "    ";
  }
  return field_e(x, width, decimals);
}

void group_records(std::string& out, std::string_view label, int column, std::span<const std::int32_t> groups) {
  constexpr std::size_t kPerRecord = 25;
  const auto margin = static_cast<std::size_t>(column - 1);
  out.assign(label);
  std::size_t record_start = 0;
  std::size_t in_record = 0;
  for (const std::int32_t group : groups) {
    if (in_record == kPerRecord) {
      out += '\n';
      record_start = out.size();
      in_record = 0;
    }
    if (in_record == 0 && out.size() - record_start < margin) out.append(margin - (out.size() - record_start), ' ');
    if (group >= 0 && group <= 9999) {
      const char digits[4] = {static_cast<char>('0' + group / 1000), static_cast<char>('0' + group / 100 % 10),
                              static_cast<char>('0' + group / 10 % 10), static_cast<char>('0' + group % 10)};
      out.append(digits, 4);
    } else {
      out += field_i(group, 4, 4);
    }
    ++in_record;
  }
  out += '\n';
}

std::string list_real(float value) {
  const double x = value;
  std::string out = x < 0 ? " -" : "  ";
  const double magnitude = std::fabs(x);
  if (magnitude == 0) return out.append("0.");
  std::string digits = printf_string("%.*G", 9, magnitude);
  if (std::isdigit(static_cast<unsigned char>(digits[0])) == 0) return out.append(digits);  // Infinity, NaN
  const std::size_t e = digits.find('E');
  if (digits.find('.') == std::string::npos) digits.insert(e == std::string::npos ? digits.size() : e, 1, '.');
  return out.append(digits);
}

void ListRecord::append(std::string_view value) {
  const std::size_t room = line_.size() - 1 - size_;  // one place kept for the newline
  const std::size_t n = value.size() < room ? value.size() : room;
  value.copy(line_.data() + size_, n);
  size_ += n;
}

void ListRecord::item(std::string_view value, bool lead_blank_only_at_start) {
  const std::size_t position = size_ - record_start_;
  if (position + value.size() >= kLineLength) {
    append("\n");
    record_start_ = size_;
  }
  if (lead_blank_only_at_start && size_ == record_start_) append(" ");
  append(value);
}

ListRecord& ListRecord::text(std::string_view value) {
  item(value, true);
  return *this;
}

ListRecord& ListRecord::integer(std::int64_t value) {
  char text[24] = {' '};
  const auto end = std::to_chars(text + 1, text + sizeof text, value).ptr;
  item(std::string_view(text, static_cast<std::size_t>(end - text)), false);
  return *this;
}

ListRecord& ListRecord::real(float value) {
  item(list_real(value), false);
  return *this;
}

}  // namespace runtime

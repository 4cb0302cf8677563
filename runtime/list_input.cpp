#include "runtime/list_input.hpp"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace runtime {

namespace {

constexpr int kEnd = ByteSource::kEnd;

bool is_digit(int c) { return c >= '0' && c <= '9'; }
bool is_exponent_letter(int c) { return c == 'e' || c == 'E' || c == 'd' || c == 'D'; }
bool is_sign(int c) { return c == '+' || c == '-'; }

// A carriage return that ends a line reads as a blank.
int get(ByteSource& in) {
  const int c = in.get();
  if (c != '\r') return c;
  const int next = in.get();
  in.unget(next);
  return next == '\n' ? ' ' : c;
}

constexpr std::size_t kMaxDigits = 40;
constexpr long kMaxExponent = 1000000000;  // a longer exponent field is an error  // significant digits kept; more only scale the value

struct Item {
  ReadOutcome outcome = ReadOutcome::kNull;
  double value = 0;  // the number as written, exponent applied
};

// The value the library forms: the kept digits and a decimal exponent, read
// as a double.
double to_double(bool negative, std::string digits, long exponent) {
  while (!digits.empty() && digits.back() == '0') {
    digits.pop_back();
    ++exponent;
  }
  if (digits.empty()) return 0.0;
  const std::string text = (negative ? "-" : "") + digits + "e" + std::to_string(exponent);
  return std::strtod(text.c_str(), nullptr);
}

// One numeric item: [sign] digits [exponent sign and digits], or a repeat
// count "r*" before it. Integers admit no point and no exponent letter, but a
// sign after the digits starts an exponent, as in the library.
Item read_number(ByteSource& in) {
  Item item;
  bool after_star = false;
  for (;;) {
    int c = get(in);
    std::string mantissa;
    bool negative = false;
    int leading_zeros = 0;
    if (c == '-') negative = true;
    if (is_sign(c)) c = get(in);
    while (c == '0') {
      ++leading_zeros;
      c = get(in);
    }
    long exponent = 0;
    while (is_digit(c)) {
      if (mantissa.size() < kMaxDigits) {
        mantissa += static_cast<char>(c);
      } else {
        ++exponent;
      }
      c = get(in);
    }
    if (c == '*' && !after_star) {
      if (mantissa.empty() || negative || exponent != 0) return {ReadOutcome::kError, 0};
      after_star = true;
      continue;
    }
    if (c == '.') return {ReadOutcome::kError, 0};
    const bool have_number = leading_zeros > 0 || !mantissa.empty();
    if (is_sign(c) || (have_number && is_exponent_letter(c))) {
      if (!is_sign(c)) return {ReadOutcome::kError, 0};
      const bool exponent_negative = c == '-';
      c = get(in);
      if (!is_digit(c)) return {ReadOutcome::kError, 0};
      long written = 0;
      while (is_digit(c)) {
        written = written * 10 + (c - '0');
        if (written > kMaxExponent) return {ReadOutcome::kError, 0};
        c = get(in);
      }
      exponent += exponent_negative ? -written : written;
    }
    in.unget(c);
    if (have_number) {
      return {ReadOutcome::kValue, to_double(negative, mantissa, exponent)};
    }
    if (c == ',' || c == '/') return item;
    if (after_star && (c == ' ' || c == '\t' || c == '\n')) return item;
    return {ReadOutcome::kError, 0};
  }
}

// The rest of the line, up to and including its newline.
bool skip_line(ByteSource& in) {
  for (;;) {
    const int c = in.get();
    if (c == '\n') return true;
    if (c == kEnd) return false;
  }
}

}  // namespace

ReadOutcome read_list_integer(ByteSource& in, std::int32_t& value) {
  Item item;
  for (bool scanning = true; scanning;) {
    const int c = get(in);
    switch (c) {
      case kEnd:
        return ReadOutcome::kEnd;
      case ' ':
      case '\t':
      case '\n':
        continue;
      case '/':
        skip_line(in);
        return ReadOutcome::kNull;
      case ',':
        scanning = false;
        break;
      default:
        in.unget(c);
        item = read_number(in);
        scanning = false;
        break;
    }
  }
  if (item.outcome == ReadOutcome::kError) return ReadOutcome::kError;
  skip_line(in);
  if (item.outcome == ReadOutcome::kNull) return ReadOutcome::kNull;
  const double truncated = std::trunc(item.value);
  if (truncated > std::numeric_limits<std::int32_t>::max() || truncated < std::numeric_limits<std::int32_t>::min()) {
    return ReadOutcome::kError;
  }
  value = static_cast<std::int32_t>(truncated);
  return ReadOutcome::kValue;
}

}  // namespace runtime

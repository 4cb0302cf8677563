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

// The bytes of one read statement, with push-back, a carriage return that
// ends a line read as a blank, and a note of whether the item met the end of
// the input.
class Reader {
 public:
  explicit Reader(ByteSource& in) : in_(in) {}

  int get() {
    const int c = raw();
    if (c == kEnd) met_end_ = true;
    if (c != '\r') return c;
    const int next = raw();
    unget(next);
    return next == '\n' ? ' ' : c;
  }
  void unget(int c) { pushed_[pushed_count_++] = c; }
  bool met_end() const { return met_end_; }

  // The end of the statement: the rest of the line. Meeting the end of the
  // input here, when the item did not, is an end of input.
  bool finish_line() {
    if (met_end_) return true;
    for (;;) {
      const int c = raw();
      if (c == '\n') return true;
      if (c == kEnd) return false;
    }
  }

 private:
  int raw() { return pushed_count_ > 0 ? pushed_[--pushed_count_] : in_.get(); }
  ByteSource& in_;
  int pushed_[2] = {};
  int pushed_count_ = 0;
  bool met_end_ = false;
};

constexpr std::size_t kMaxDigits = 40;   // significant digits kept; more only scale the value
constexpr long kMaxExponent = 99999999;  // a larger exponent field is an error

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
Item read_number(Reader& in) {
  Item item;
  bool after_star = false;
  for (;;) {
    int c = in.get();
    std::string mantissa;
    bool negative = false;
    int leading_zeros = 0;
    if (c == '-') negative = true;
    if (is_sign(c)) c = in.get();
    while (c == '0') {
      ++leading_zeros;
      c = in.get();
    }
    long exponent = 0;
    while (is_digit(c)) {
      if (mantissa.size() < kMaxDigits) {
        mantissa += static_cast<char>(c);
      } else {
        ++exponent;
      }
      c = in.get();
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
      c = in.get();
      if (!is_digit(c)) return {ReadOutcome::kError, 0};
      long written = 0;
      while (is_digit(c)) {
        written = written * 10 + (c - '0');
        if (written > kMaxExponent) return {ReadOutcome::kError, 0};
        c = in.get();
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

}  // namespace

ReadOutcome read_list_integer(ByteSource& source, std::int32_t& value) {
  Reader in(source);
  Item item;
  for (bool scanning = true; scanning;) {
    const int c = in.get();
    switch (c) {
      case kEnd:
        return ReadOutcome::kEnd;
      case ' ':
      case '\t':
      case '\n':
        continue;
      case '/':
      case ',':
        scanning = false;  // a null value
        break;
      default:
        in.unget(c);
        item = read_number(in);
        if (item.outcome == ReadOutcome::kError) return ReadOutcome::kError;
        int after = in.get();
        while (after == ' ' || after == '\t') after = in.get();
        if (after != ',') in.unget(after);
        scanning = false;
        break;
    }
  }
  if (item.outcome == ReadOutcome::kValue) {
    const double truncated = std::trunc(item.value);
    if (!(truncated <= std::numeric_limits<std::int32_t>::max() &&
          truncated >= std::numeric_limits<std::int32_t>::min())) {
      return ReadOutcome::kError;
    }
    value = static_cast<std::int32_t>(truncated);
  }
  if (!in.finish_line()) return ReadOutcome::kEnd;
  return item.outcome;
}

}  // namespace runtime

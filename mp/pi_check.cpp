#include "mp/pi_check.hpp"

#include <cmath>
#include <cstddef>

#include "mp/common.hpp"
#include "mp/estimate.hpp"

namespace mp {

namespace {

std::int32_t reference_group(std::int32_t i) {
  const char* d = kPiDecimals + std::ptrdiff_t{4} * i;
  return (((d[0] - '0') * 10 + (d[1] - '0')) * 10 + (d[2] - '0')) * 10 + (d[3] - '0');
}

// An upper bound, at least 1, on the first term the series for arctan(1/x)
// leaves out after J double steps, 10^(4n) / ((4J+3) x^(4J+3)), in units of
// element n.
std::int64_t omitted_term_bound(std::int32_t x, std::int32_t j, std::int32_t n) {
  const double terms = 4.0 * j + 3.0;
  const double log10_term = 4.0 * n - std::log10(terms) - terms * std::log10(static_cast<double>(x));
  if (log10_term < 0) return 1;
  if (log10_term > 12) return 1'000'000'000'000;  // the series would be far too short: wrong anyway
  return static_cast<std::int64_t>(std::ceil(std::pow(10.0, log10_term))) + 1;
}

std::int64_t floor_div(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && a < 0 ? 1 : 0); }
std::int64_t ceil_div(std::int64_t a, std::int64_t b) { return a / b + (a % b != 0 && a > 0 ? 1 : 0); }

}  // namespace

// In units of element n, with exact values A5, A239 and R = the radix:
// arctg sums 2J+1 terms, each truncated on its own, so its result V differs
// from the sum S of those terms by V - S in (-(J+1), J): J+1 added terms and
// J subtracted ones each lose less than 1. The series is alternating and
// stops after an added term, so S - A lies in (0, t), t the first omitted
// term. The combining passes give pi's fraction P = 16 V5 - 4 V239 (mod R^n,
// the integer part 3 dropped), so
//   E = P - (pi-3) R^n  in  (-16 (J5+1) - 4 (J239+t239),  16 (J5+t5) + 4 (J239+1)).
// The printed groups are G = floor(P / R) and the truncated decimals
// T = floor((pi-3) R^(n-1)), so G - T lies in [floor(Elow/R), ceil(Ehigh/R)].
PiErrorBound pi_error_bound(std::int32_t n) {
  const std::int32_t j5 = expansion_length(5, n) / 2;
  const std::int32_t j239 = expansion_length(239, n) / 2;
  const std::int64_t e_low = -(16 * (std::int64_t{j5} + 1) + 4 * (j239 + omitted_term_bound(239, j239, n)));
  const std::int64_t e_high = 16 * (j5 + omitted_term_bound(5, j5, n)) + 4 * (std::int64_t{j239} + 1);
  return {floor_div(e_low, common.radix), ceil_div(e_high, common.radix)};
}

std::int32_t first_wrong_decimal(ConstDigitVector pi, std::int32_t n) {
  const std::int32_t groups = n - 1;
  std::int32_t first = 0;
  while (first < groups && pi[first] == reference_group(first)) ++first;
  if (first == groups) return 0;
  // G - T from the first differing group on. Once nonzero its magnitude
  // never shrinks (|d R + delta| >= |d| for |delta| < R), so the first step
  // past the bound decides.
  const PiErrorBound bound = pi_error_bound(n);
  std::int64_t difference = 0;
  for (std::int32_t i = first; i < groups; ++i) {
    difference = difference * common.radix + (pi[i] - reference_group(i));
    if (difference < bound.low || difference > bound.high) {
      std::int32_t digit = 0;  // the first differing digit of the first differing group
      if (pi[first] >= 0 && pi[first] < 10000) {
        char group[4];
        for (int k = 3, v = pi[first]; k >= 0; --k, v /= 10) group[k] = static_cast<char>('0' + v % 10);
        while (digit < 3 && group[digit] == kPiDecimals[4 * first + digit]) ++digit;
      }
      return 4 * first + digit + 1;
    }
  }
  return 0;
}

}  // namespace mp

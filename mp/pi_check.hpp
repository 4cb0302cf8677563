#pragma once
// The check of every run's result: the groups of pi against reference
// decimals that do not come from this arithmetic.
#include <cstdint>

#include "mp/digits.hpp"

namespace mp {

// The first kReferenceDecimals decimals of pi after the point, as text.
constexpr std::int32_t kReferenceDecimals = 64004;
extern const char kPiDecimals[kReferenceDecimals + 1];

// How far a correct run's groups 1 .. n-1, read as one integer G, may lie
// from the true decimals truncated to as many groups, T: low <= G - T <= high.
struct PiErrorBound {
  std::int64_t low, high;
};
PiErrorBound pi_error_bound(std::int32_t n);

// 0 when the first n-1 groups of `pi` are pi's decimals within the bound of
// a correct run on n elements; otherwise the first decimal (counted from 1
// after the point) that differs from pi's.
std::int32_t first_wrong_decimal(ConstDigitVector pi, std::int32_t n);

}  // namespace mp

#pragma once
// The series-length estimate: how many terms the arctangent series needs.
//
// Single-precision values with extended-precision (long double, 64-bit
// significand) intermediates; every rounding to float below is one the
// estimate relies on.
#include <cstdint>

namespace mp {

// A map iterated by the solver; it receives a reference to the iterate.
using FixedPointMap = float (*)(const float& y);

// F(y) = (1 + (P - ln y) * Q) / 2 with P = common.precision_log and
// Q = common.inverse_log_x; ln y in double, rounded to float.
float series_length_map(const float& y);

// Iterates f from start until a step changes the iterate by at most
// tolerance * |iterate|. Gives up, with common.solver_status = 2001, on the
// sixth step that does not shrink the change, or on an iterate that cannot
// be compared (not a number). Returns the last iterate.
float solve_fixed_point(FixedPointMap f, const float& start, const float& tolerance);

// The expansion length K for arctan(1/x) on n elements: sets
// common.inverse_log_x and common.precision_log, solves, returns
// trunc(y) + 1.
std::int32_t expansion_length(std::int32_t x, std::int32_t n);

}  // namespace mp

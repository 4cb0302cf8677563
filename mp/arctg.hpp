#pragma once
// arctan(1/x) by the Gregory series on digit vectors.
#include <cstdint>

#include "mp/console.hpp"
#include "mp/digits.hpp"

namespace mp {

// result := sum over m = 0 .. 2J of (-1)^m floor(R^n / ((2m+1) x^(2m+1))),
// J = K / 2, K the expansion length, which is announced on the console first.
// term and power are work vectors, overwritten. x >= 2.
void arctg(DigitVector result, DigitVector term, DigitVector power, std::int32_t n, std::int32_t x, Console& console);

}  // namespace mp

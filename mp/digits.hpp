#pragma once
// Digit vectors: numbers in [0, 1) as base-radix digits, most significant first.
//
// The design counts elements from 1; a DigitVector is a span counted from 0,
// so design element i is v[i - 1]. This is the only place that says so: every
// operation below takes the design's n (the vector length) and k (a design
// index) and does the translation itself.
//
// Element values are 0 .. radix-1, except the number 1, stored as element 1
// equal to the radix and the rest 0, which only vec_div_small accepts.
// Multipliers are 0 .. 2^31-1, divisors 1 .. 2^31-1. Nothing is checked:
// n must not exceed the room of the spans. n <= 0 touches nothing.
#include <array>
#include <cstdint>
#include <span>

namespace mp {

using Digit = std::int32_t;
using DigitVector = std::span<Digit>;
using ConstDigitVector = std::span<const Digit>;

constexpr std::int32_t kMaxVectorLength = 16001;
using DigitStorage = std::array<Digit, kMaxVectorLength>;

// destination(i) := source(i), i = 1 .. n, ascending.
void vec_copy(ConstDigitVector source, DigitVector destination, std::int32_t n);
// v(i) := 0, i = k .. n.
void vec_clear_tail(DigitVector v, std::int32_t n, std::int32_t k);
// V := (m * V) mod R^n; the carry out of element 1 is dropped.
void vec_mul_small(DigitVector v, std::int32_t n, std::int32_t m);
// A := (A + B) mod R^n; the carry out of element 1 is dropped.
void vec_add(DigitVector a, ConstDigitVector b, std::int32_t n);
// A := (A - B) mod R^n; the borrow out of element 1 is dropped.
void vec_sub(DigitVector a, ConstDigitVector b, std::int32_t n);
// V := floor(V / d); the last remainder is dropped.
void vec_div_small(DigitVector v, std::int32_t n, std::int32_t d);

}  // namespace mp

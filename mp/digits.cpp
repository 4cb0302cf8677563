#include "mp/digits.hpp"

#include "mp/common.hpp"
#include "mp/reciprocal.hpp"

// The kernels work on 0-based pointers: p[i - 1] is design element i.
// Each pass is one loop over the n elements, in the design's direction, with
// the same integers as the design's operation; only the way a quotient is
// formed differs (a reciprocal instead of a hardware division).

namespace mp {

namespace {

using u64 = std::uint64_t;

// Division passes carry `Width` elements per step of the remainder chain:
// s = r * R^Width + (the next Width digits), q = floor(s / d), r = s - q*d,
// and q splits into the Width quotient digits. Valid while d * R^Width stays
// below the reciprocal's numerator limit (then also the number 1 fits).
template <int Width>
bool fits(u64 radix, u64 d) {
  u64 bound = d;
  for (int i = 0; i < Width; ++i) {
    if (bound > Reciprocal::kNumeratorLimit / radix) return false;
    bound *= radix;
  }
  return true;
}

template <int Width>
u64 power(u64 radix) {
  u64 p = 1;
  for (int i = 0; i < Width; ++i) p *= radix;
  return p;
}

template <int Width>
u64 div_step(Digit* p, u64 r, u64 d, u64 radix, const Reciprocal& by_d, const Reciprocal& by_radix) {
  u64 c = 0;
  for (int j = 0; j < Width; ++j) c = c * radix + static_cast<u64>(p[j]);
  const u64 s = r * power<Width>(radix) + c;
  u64 q = by_d.quotient(s);
  r = s - q * d;
  for (int j = Width - 1; j > 0; --j) {
    const u64 hi = by_radix.quotient(q);
    p[j] = static_cast<Digit>(q - hi * radix);
    q = hi;
  }
  p[0] = static_cast<Digit>(q);
  return r;
}

template <int Width>
void div_pass(Digit* p, std::int32_t n, u64 d, u64 radix) {
  const Reciprocal by_d(static_cast<std::uint32_t>(d));
  const Reciprocal by_radix(static_cast<std::uint32_t>(radix));
  u64 r = 0;
  std::int32_t i = 0;
  for (; i + Width <= n; i += Width) r = div_step<Width>(p + i, r, d, radix, by_d, by_radix);
  for (; i < n; ++i) r = div_step<1>(p + i, r, d, radix, by_d, by_radix);
}

// Addition and subtraction passes: `Width` elements per step of the carry
// chain, joined into one base-R^Width digit, from element n towards element 1.
template <int Width>
std::int64_t join(const Digit* p, std::int64_t radix) {
  std::int64_t v = 0;
  for (int j = 0; j < Width; ++j) v = v * radix + p[j];
  return v;
}

template <int Width>
void split(Digit* p, std::int64_t v, std::int64_t radix, const Reciprocal& by_radix) {
  for (int j = Width - 1; j > 0; --j) {
    const auto hi = static_cast<std::int64_t>(by_radix.quotient(static_cast<u64>(v)));
    p[j] = static_cast<Digit>(v - hi * radix);
    v = hi;
  }
  p[0] = static_cast<Digit>(v);
}

template <int Width, typename Step>
void carry_pass(Digit* pa, const Digit* pb, std::int32_t n, std::int64_t radix, Step step) {
  const Reciprocal by_radix(static_cast<std::uint32_t>(radix));
  const auto top = static_cast<std::int64_t>(power<Width>(static_cast<u64>(radix)));
  std::int64_t carry = 0;
  std::int32_t i = n - Width;
  for (; i >= 0; i -= Width) {
    const std::int64_t s = step(join<Width>(pa + i, radix), join<Width>(pb + i, radix), carry, top);
    split<Width>(pa + i, s, radix, by_radix);
  }
  for (i += Width - 1; i >= 0; --i) pa[i] = static_cast<Digit>(step(pa[i], pb[i], carry, radix));
}

// s = a + b + carry, reduced below `top`, the carry updated.
template <int Width>
void add_pass(Digit* pa, const Digit* pb, std::int32_t n, std::int64_t radix) {
  carry_pass<Width>(pa, pb, n, radix, [](std::int64_t x, std::int64_t y, std::int64_t& carry, std::int64_t top) {
    std::int64_t s = x + y + carry;
    carry = s >= top ? 1 : 0;
    return s - (carry != 0 ? top : 0);
  });
}

// t = a - b - borrow, brought back into [0, top), the borrow updated.
template <int Width>
void sub_pass(Digit* pa, const Digit* pb, std::int32_t n, std::int64_t radix) {
  carry_pass<Width>(pa, pb, n, radix, [](std::int64_t x, std::int64_t y, std::int64_t& borrow, std::int64_t top) {
    std::int64_t t = x - y - borrow;
    borrow = t < 0 ? 1 : 0;
    return t + (borrow != 0 ? top : 0);
  });
}

// One element per step with the hardware division: for divisor 1, or a radix
// too large for the reciprocal.
void div_pass_plain(Digit* p, std::int32_t n, u64 d, u64 radix) {
  u64 r = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    const u64 s = radix * r + static_cast<u64>(p[i]);
    const u64 q = s / d;
    r = s - d * q;
    p[i] = static_cast<Digit>(q);
  }
}

}  // namespace

void vec_copy(ConstDigitVector source, DigitVector destination, std::int32_t n) {
  const Digit* from = source.data();
  Digit* to = destination.data();
  for (std::int32_t i = 0; i < n; ++i) to[i] = from[i];
}

void vec_clear_tail(DigitVector v, std::int32_t n, std::int32_t k) {
  Digit* p = v.data();
  for (std::int32_t i = k; i <= n; ++i) p[i - 1] = 0;
}

void vec_mul_small(DigitVector v, std::int32_t n, std::int32_t m) {
  const u64 radix = static_cast<u64>(common.radix);
  Digit* p = v.data();
  u64 carry = 0;
  if (radix >= 2 && (u64{1} << 31) * (radix + 1) <= Reciprocal::kNumeratorLimit) {
    // m * v(i) + carry < 2^31 * (R + 1), within the reciprocal's range.
    const Reciprocal by_radix(static_cast<std::uint32_t>(radix));
    for (std::int32_t i = n - 1; i >= 0; --i) {
      const u64 prod = static_cast<u64>(m) * static_cast<u64>(p[i]) + carry;
      carry = by_radix.quotient(prod);
      p[i] = static_cast<Digit>(prod - radix * carry);
    }
    return;
  }
  for (std::int32_t i = n - 1; i >= 0; --i) {
    const u64 prod = static_cast<u64>(m) * static_cast<u64>(p[i]) + carry;
    carry = prod / radix;
    p[i] = static_cast<Digit>(prod - radix * carry);
  }
}

void vec_add(DigitVector a, ConstDigitVector b, std::int32_t n) {
  // a(i) + b(i) + carry < 2R per element, so the carry is 0 or 1; two
  // elements per step as one base-R^2 digit.
  const std::int64_t radix = common.radix;
  Digit* pa = a.data();
  const Digit* pb = b.data();
  if (radix * radix * 2 > std::int64_t{1} << 62) {
    add_pass<1>(pa, pb, n, radix);
  } else {
    add_pass<2>(pa, pb, n, radix);
  }
}

void vec_sub(DigitVector a, ConstDigitVector b, std::int32_t n) {
  const std::int64_t radix = common.radix;
  Digit* pa = a.data();
  const Digit* pb = b.data();
  if (radix * radix * 2 > std::int64_t{1} << 62) {
    sub_pass<1>(pa, pb, n, radix);
  } else {
    sub_pass<2>(pa, pb, n, radix);
  }
}

void vec_div_small(DigitVector v, std::int32_t n, std::int32_t d) {
  const u64 radix = static_cast<u64>(common.radix);
  const u64 divisor = static_cast<u64>(d);
  Digit* p = v.data();
  if (divisor < 2 || radix < 2 || !fits<1>(radix, divisor)) {
    div_pass_plain(p, n, divisor, radix);
  } else if (fits<4>(radix, divisor)) {
    div_pass<4>(p, n, divisor, radix);
  } else if (fits<3>(radix, divisor)) {
    div_pass<3>(p, n, divisor, radix);
  } else if (fits<2>(radix, divisor)) {
    div_pass<2>(p, n, divisor, radix);
  } else {
    div_pass<1>(p, n, divisor, radix);
  }
}

}  // namespace mp

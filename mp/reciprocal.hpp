#pragma once
// Exact integer division by a divisor fixed for a whole pass, as one
// 64x64->128-bit multiplication and a shift.
//
// For 2 <= d < 2^32 let f = floor(log2 d), S = 63 + f and m = ceil(2^S / d),
// so m <= 2^63 and e = m*d - 2^S lies in [0, d). For 0 <= s < 2^62,
// s*m / 2^S = s/d + s*e / (d * 2^S) with s*e < 2^(63+f) = 2^S, so the error
// term stays below 1/d and the floor is floor(s/d) exactly.
#include <bit>
#include <cstdint>

namespace mp {

// The high 64 bits of a * b from 32-bit halves, for targets without a
// 128-bit integer type.
constexpr std::uint64_t mul_high_by_halves(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t a_lo = a & 0xffffffffu, a_hi = a >> 32, b_lo = b & 0xffffffffu, b_hi = b >> 32;
  const std::uint64_t lo_lo = a_lo * b_lo, hi_lo = a_hi * b_lo, lo_hi = a_lo * b_hi;
  const std::uint64_t middle = (lo_lo >> 32) + (hi_lo & 0xffffffffu) + (lo_hi & 0xffffffffu);
  return a_hi * b_hi + (hi_lo >> 32) + (lo_hi >> 32) + (middle >> 32);
}

constexpr std::uint64_t mul_high(std::uint64_t a, std::uint64_t b) {
#if defined(__SIZEOF_INT128__)
  __extension__ using UInt128 = unsigned __int128;
  return static_cast<std::uint64_t>((static_cast<UInt128>(a) * b) >> 64);
#else
  return mul_high_by_halves(a, b);
#endif
}

class Reciprocal {
 public:
  static constexpr std::uint64_t kNumeratorLimit = std::uint64_t{1} << 62;

  explicit constexpr Reciprocal(std::uint32_t d)
      : magic_(magic_for(d)), shift_(static_cast<unsigned>(std::bit_width(d)) - 2) {}

  // floor(s / d) for 0 <= s < kNumeratorLimit.
  constexpr std::uint64_t quotient(std::uint64_t s) const { return mul_high(s, magic_) >> shift_; }

 private:
  // ceil(2^S / d), S in [64, 94], as two 64-by-32-bit divisions of
  // 2^S = 2^(S-32) * 2^32.
  static constexpr std::uint64_t magic_for(std::uint32_t d) {
    const unsigned s = 62 + static_cast<unsigned>(std::bit_width(d));  // 63 + floor(log2 d)
    const std::uint64_t high = std::uint64_t{1} << (s - 32);
    const std::uint64_t low_part = (high % d) << 32;
    return ((high / d) << 32) + low_part / d + (low_part % d != 0 ? 1 : 0);
  }

  std::uint64_t magic_;
  unsigned shift_;  // S - 64
};

}  // namespace mp

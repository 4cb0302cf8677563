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

__extension__ typedef unsigned __int128 UInt128;

class Reciprocal {
 public:
  static constexpr std::uint64_t kNumeratorLimit = std::uint64_t{1} << 62;

  explicit constexpr Reciprocal(std::uint32_t d)
      : magic_(magic_for(d)), shift_(static_cast<unsigned>(std::bit_width(d)) - 2) {}

  // floor(s / d) for 0 <= s < kNumeratorLimit.
  constexpr std::uint64_t quotient(std::uint64_t s) const {
    return static_cast<std::uint64_t>((static_cast<UInt128>(s) * magic_) >> 64) >> shift_;
  }

 private:
  static constexpr std::uint64_t magic_for(std::uint32_t d) {
    const unsigned s = 62 + static_cast<unsigned>(std::bit_width(d));  // 63 + floor(log2 d)
    const UInt128 two_s = static_cast<UInt128>(1) << s;
    return static_cast<std::uint64_t>((two_s + d - 1) / d);
  }

  std::uint64_t magic_;
  unsigned shift_;  // S - 64
};

}  // namespace mp

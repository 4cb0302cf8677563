#include "mp/common.hpp"

#include <cmath>

namespace mp {

constinit thread_local Common common;

std::int32_t digits_per_element(std::int32_t radix) {
  constexpr double kLog10e = 0.43429448190325182765;
  const float radix_real = static_cast<float>(radix);
  const float lg = static_cast<float>(kLog10e * std::log(static_cast<double>(radix_real)));
  return static_cast<std::int32_t>(static_cast<long double>(lg) + 0.5L);
}

}  // namespace mp

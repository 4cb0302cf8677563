#include "mp/estimate.hpp"

#include <cmath>

#include "mp/common.hpp"

namespace mp {

namespace {

using Extended = long double;

constexpr float kLn10 = 2.3025849f;  // one unit in the last place below the nearest float to ln 10
constexpr std::int32_t kGiveUpStatus = 2001;
constexpr int kGiveUpCount = 5;

float log_as_float(double v) { return static_cast<float>(std::log(v)); }

}  // namespace

float series_length_map(const float& y) {
  const float l = log_as_float(y);
  const Extended p_minus_l = static_cast<Extended>(common.precision_log) - l;
  return static_cast<float>((1.0L + p_minus_l * common.inverse_log_x) * 0.5L);
}

float solve_fixed_point(FixedPointMap f, const float& start, const float& tolerance) {
  common.solver_status = 0;
  float previous = start;
  float current = f(start);
  float last_difference = static_cast<float>(std::fabs(static_cast<Extended>(current) - previous));
  int count = 0;
  for (;;) {
    previous = current;
    const float iterate = current;
    current = f(iterate);
    const Extended difference = std::fabs(static_cast<Extended>(current) - previous);
    if (static_cast<Extended>(tolerance) * std::fabs(static_cast<Extended>(current)) >= difference) return current;
    if (std::isnan(difference)) break;
    if (difference >= last_difference) ++count;
    if (count > kGiveUpCount) break;
    last_difference = static_cast<float>(difference);
  }
  common.solver_status = kGiveUpStatus;
  return current;
}

std::int32_t expansion_length(std::int32_t x, std::int32_t n) {
  const float lx = log_as_float(static_cast<double>(x));
  common.inverse_log_x = static_cast<float>(1.0L / lx);
  const std::int32_t digits = digits_per_element(common.radix);
  common.precision_log = static_cast<float>(static_cast<Extended>(kLn10) * (digits * n));
  const float tolerance = 0.5f;
  const float y = solve_fixed_point(series_length_map, common.precision_log, tolerance);
  return static_cast<std::int32_t>(y) + 1;
}

}  // namespace mp

#include "mp/arctg.hpp"

#include "mp/common.hpp"
#include "mp/estimate.hpp"

namespace mp {

void arctg(DigitVector result, DigitVector term, DigitVector power, std::int32_t n, std::int32_t x, Console& console) {
  // Advance the power by x^2 in one division while x^2 stays small next to the radix.
  std::int32_t step_divisor = x;
  int divisions_per_step = 2;
  if (x < common.radix_root) {
    step_divisor = x * x;
    divisions_per_step = 1;
  }
  auto advance_power = [&] {
    for (int i = 0; i < divisions_per_step; ++i) vec_div_small(power, n, step_divisor);
  };

  power[0] = common.radix;  // the number 1
  vec_clear_tail(power, n, 2);

  const std::int32_t expansion = expansion_length(x, n);
  console.write_text_int("Expansion length is considered:", expansion);
  console.write_empty();

  vec_div_small(power, n, x);
  vec_copy(power, result, n);

  const std::int32_t steps = expansion / 2;
  std::int32_t mark = 1;
  std::int32_t next_mark = steps / kMarksPerSeries;  // in steps done: a compare a step
  std::int32_t k = 2;
  for (std::int32_t done = 1; done <= steps; ++done) {
    advance_power();  // 1 / x^(2k-1)
    vec_copy(power, term, n);
    vec_div_small(term, n, 2 * k - 1);
    vec_sub(result, term, n);
    advance_power();  // 1 / x^(2k+1)
    vec_copy(power, term, n);
    vec_div_small(term, n, 2 * k + 1);
    vec_add(result, term, n);
    k += 2;
    if (done == next_mark && mark < kMarksPerSeries) {
      console.passed_mark(done);
      ++mark;
      next_mark = static_cast<std::int32_t>(static_cast<std::int64_t>(steps) * mark / kMarksPerSeries);
    }
  }
  console.passed_mark(steps);
}

}  // namespace mp

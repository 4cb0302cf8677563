#include "mp/pi_check.hpp"

#include <gmp.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "mp/common.hpp"
#include "mp/estimate.hpp"
#include "tests/mp/closed_form.hpp"
#include "tests/mp/mpfr_decimals.hpp"

namespace {

using Vec = std::vector<mp::Digit>;

// Groups 1 .. n-1 of pi's decimals, then a last element.
Vec true_groups(std::int32_t n) {
  Vec v(static_cast<std::size_t>(n), 0);
  for (std::int32_t i = 0; i < n; ++i) v[i] = std::stoi(std::string(mp::kPiDecimals + 4 * i, 4));
  return v;
}

// Adds `delta` to groups 1 .. n-1 read as one integer.
void add_to_groups(Vec& v, std::int32_t n, std::int64_t delta) {
  for (std::int32_t i = n - 2; i >= 0 && delta != 0; --i) {
    std::int64_t sum = v[i] + delta;
    delta = sum >= 0 ? sum / 10000 : -((-sum + 9999) / 10000);
    v[i] = static_cast<mp::Digit>(sum - delta * 10000);
  }
}

// The first decimal where the printed groups and pi's decimals differ.
std::int32_t first_difference(const Vec& v, std::int32_t n) {
  std::string text;
  for (std::int32_t i = 0; i < n - 1; ++i)
    text += std::string(4 - std::to_string(v[i]).size(), '0') + std::to_string(v[i]);
  std::int32_t d = 0;
  while (d < 4 * (n - 1) && text[d] == mp::kPiDecimals[d]) ++d;
  return d + 1;
}

class PiCheck : public ::testing::Test {
 protected:
  void SetUp() override { mp::common = mp::Common{}; }
};

TEST_F(PiCheck, ReferenceDecimalsArePisDecimals) {
  EXPECT_EQ(mpfr_decimals(Constant::kPi, mp::kReferenceDecimals), std::string(mp::kPiDecimals));
}

// Wrong groups at the start, the middle and the end, and the sum of the
// groups at the bound and one past it, on either side.
TEST_F(PiCheck, FindsEveryResultPastTheBound) {
  constexpr std::int32_t n = 1001;
  const mp::PiErrorBound bound = mp::pi_error_bound(n);
  ASSERT_LT(bound.low, 0);
  ASSERT_GT(bound.high, 0);
  struct Case {
    const char* what;
    std::int32_t group;  // set to `value`, when >= 0
    mp::Digit value;
    std::int64_t delta;  // added to the groups as one integer
    bool wrong;
  };
  const Case cases[] = {
      {"as is", -1, 0, 0, false},
      {"first group", 0, 1416, 0, true},
      {"middle group", 500, 0, 0, true},
      {"last group", n - 2, 9999, 0, true},
      {"at the upper bound", -1, 0, bound.high, false},
      {"one past it", -1, 0, bound.high + 1, true},
      {"at the lower bound", -1, 0, bound.low, false},
      {"one past it below", -1, 0, bound.low - 1, true},
      {"far past", -1, 0, 12345678, true},
  };
  for (const Case& c : cases) {
    Vec v = true_groups(n);
    if (c.group >= 0) v[c.group] = c.value;
    add_to_groups(v, n, c.delta);
    EXPECT_EQ(mp::first_wrong_decimal(v, n), c.wrong ? first_difference(v, n) : 0) << c.what;
  }
}

// Correct runs over a wide spread of sizes, among them those where the
// printed groups differ most from pi's decimals: never past the bound.
// The series come from their closed form, which arctg's tests prove equal.
TEST_F(PiCheck, CorrectRunsStayWithinTheBound) {
  std::vector<std::int32_t> sizes;
  for (std::int32_t n = 2; n <= 1000; ++n) sizes.push_back(n);
  sizes.insert(sizes.end(), {2609, 4001, 8009, 12011, 16001});
  mpz_t a5, a239, pi, modulus;
  mpz_inits(a5, a239, pi, modulus, nullptr);
  for (const std::int32_t n : sizes) {
    closed_form(a5, 5, n, mp::expansion_length(5, n) / 2);
    closed_form(a239, 239, n, mp::expansion_length(239, n) / 2);
    mpz_mul_ui(pi, a5, 16);
    mpz_submul_ui(pi, a239, 4);
    mpz_ui_pow_ui(modulus, 10, static_cast<unsigned long>(4 * n));
    mpz_mod(pi, pi, modulus);
    Vec v(static_cast<std::size_t>(n));
    for (std::int32_t i = n - 1; i >= 0; --i) v[i] = static_cast<mp::Digit>(mpz_fdiv_q_ui(pi, pi, 10000));
    EXPECT_EQ(mp::first_wrong_decimal(v, n), 0) << "n = " << n;
  }
  mpz_clears(a5, a239, pi, modulus, nullptr);
}

}  // namespace

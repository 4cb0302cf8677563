#include "mp/arctg.hpp"

#include <gmp.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "mp/common.hpp"
#include "mp/estimate.hpp"
#include "tests/mp/closed_form.hpp"
#include "tests/mp/mpfr_decimals.hpp"
#include "tests/mp/recording_console.hpp"

namespace {

using Vec = std::vector<mp::Digit>;

// The vector as the integer it stands for, in units of 10000^-n.
void to_mpz(mpz_t out, const Vec& v, std::int32_t n) {
  mpz_set_ui(out, 0);
  for (std::int32_t i = 0; i < n; ++i) {
    mpz_mul_ui(out, out, 10000);
    mpz_add_ui(out, out, static_cast<unsigned long>(v[i]));
  }
}

class ArctgTest : public ::testing::Test {
 protected:
  void SetUp() override { mp::common = mp::Common{}; }

  Vec run(std::int32_t n, std::int32_t x) {
    Vec result(n), term(n, 7), power(n, 7);
    arctg(result, term, power, n, x, console_);
    return result;
  }

  void expect_closed_form(std::int32_t n, std::int32_t x) {
    console_.lines.clear();
    const Vec result = run(n, x);
    const std::int32_t k = mp::expansion_length(x, n);
    ASSERT_EQ(console_.lines, (std::vector<std::string>{"Expansion length is considered:|" + std::to_string(k), ""}));
    mpz_t got, want;
    mpz_inits(got, want, nullptr);
    to_mpz(got, result, n);
    closed_form(want, x, n, k / 2);
    EXPECT_EQ(mpz_cmp(got, want), 0) << "n = " << n << ", x = " << x;
    mpz_clears(got, want, nullptr);
  }

  RecordingConsole console_;
};

TEST_F(ArctgTest, SmallLengths) {
  struct Row {
    std::int32_t n, x;
    Vec result;
  };
  const Row rows[] = {
      {2, 5, {1973, 9557}}, {2, 239, {41, 8408}}, {3, 5, {1973, 9555, 9851}}, {3, 239, {41, 8407, 6002}}};
  for (const Row& r : rows) EXPECT_EQ(run(r.n, r.x), r.result) << "n = " << r.n << ", x = " << r.x;
}

TEST_F(ArctgTest, MatchesTheClosedFormUpTo400) {
  for (std::int32_t n = 2; n <= 400; ++n) {
    for (std::int32_t x : {5, 239}) expect_closed_form(n, x);
  }
}

TEST_F(ArctgTest, MatchesTheClosedFormForLongVectors) {
  for (std::int32_t n : {401, 902, 1001, 2609, 4001}) {
    for (std::int32_t x : {5, 239}) expect_closed_form(n, x);
  }
}

// Once, in the optimised build: the sanitizers' build runs the program at
// this length in its end-to-end tests.
TEST_F(ArctgTest, MatchesTheClosedFormAtTheLargestLength) {
#ifdef PIBENCH_SANITIZED
  GTEST_SKIP() << "the largest length runs in the optimised build";
#endif
  for (std::int32_t x : {5, 239}) expect_closed_form(16001, x);
}

// 4 (4 arctan(1/5) - arctan(1/239)), combined as the program does, against
// MPFR's pi in the groups that are printed (all but the last element).
TEST_F(ArctgTest, MachinsFormulaGivesThePrintedDigitsOfPi) {
  for (std::int32_t n : {2, 3, 26, 27, 251, 1001, 4001}) {
    Vec a5 = run(n, 5);
    const Vec a239 = run(n, 239);
    mp::vec_mul_small(a5, n, 4);
    mp::vec_sub(a5, a239, n);
    mp::vec_mul_small(a5, n, 4);

    const std::int32_t groups = n - 1;
    mpz_t want, got;
    mpz_inits(want, got, nullptr);
    mpz_set_str(want, mpfr_decimals(Constant::kPi, 4 * groups).c_str(), 10);
    to_mpz(got, a5, groups);
    EXPECT_EQ(mpz_cmp(got, want), 0) << "n = " << n;
    mpz_clears(want, got, nullptr);
  }
}

TEST_F(ArctgTest, ThreeGroupsOfPi) {
  Vec a5 = run(3, 5);
  mp::vec_mul_small(a5, 3, 4);
  mp::vec_sub(a5, run(3, 239), 3);
  mp::vec_mul_small(a5, 3, 4);
  EXPECT_EQ(a5, (Vec{1415, 9265, 3608}));
}

}  // namespace

#include "mp/digits.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "mp/common.hpp"
#include "mp/reciprocal.hpp"

namespace {

using Vec = std::vector<mp::Digit>;

// Reference operations: the design's loops with plain 64-bit integer division.
void plain_div(Vec& v, std::int64_t d) {
  std::int64_t r = 0;
  for (auto& x : v) {
    const std::int64_t s = 10000 * r + x;
    x = static_cast<mp::Digit>(s / d);
    r = s % d;
  }
}
void plain_mul(Vec& v, std::int64_t m) {
  std::int64_t carry = 0;
  for (auto it = v.rbegin(); it != v.rend(); ++it) {
    const std::int64_t p = m * *it + carry;
    carry = p / 10000;
    *it = static_cast<mp::Digit>(p % 10000);
  }
}

Vec random_digits(std::mt19937_64& rng, std::size_t n) {
  std::uniform_int_distribution<int> digit(0, 9999);
  Vec v(n);
  for (auto& x : v) x = digit(rng);
  return v;
}

class DigitsTest : public ::testing::Test {
 protected:
  void SetUp() override { mp::common.radix = 10000; }
};

TEST_F(DigitsTest, DesignCases) {
  struct Case {
    const char* what;
    Vec in;
    void (*op)(Vec&);
    Vec out;
  };
  const Case cases[] = {
      {"1 / 5", {10000, 0}, [](Vec& v) { mp::vec_div_small(v, 2, 5); }, {2000, 0}},
      {"1 / 239", {10000, 0}, [](Vec& v) { mp::vec_div_small(v, 2, 239); }, {41, 8410}},
      {"1 / 1 keeps the number 1", {10000, 0, 0}, [](Vec& v) { mp::vec_div_small(v, 3, 1); }, {10000, 0, 0}},
      {"1 / (2^31-1)", {10000, 0, 0, 0}, [](Vec& v) { mp::vec_div_small(v, 4, 2147483647); }, {0, 0, 465, 6612}},
      {"x4 drops the integer part", {7853, 9816}, [](Vec& v) { mp::vec_mul_small(v, 2, 4); }, {1415, 9264}},
      {"x0", {1234, 5678}, [](Vec& v) { mp::vec_mul_small(v, 2, 0); }, {0, 0}},
      {"carry out of element 1 dropped",
       {9999, 9999},
       [](Vec& v) {
         mp::vec_add(v, Vec{0, 1}, 2);
       },
       {0, 0}},
      {"borrow out of element 1 dropped",
       {0, 0},
       [](Vec& v) {
         mp::vec_sub(v, Vec{0, 1}, 2);
       },
       {9999, 9999}},
      {"borrow within",
       {1, 0},
       [](Vec& v) {
         mp::vec_sub(v, Vec{0, 1}, 2);
       },
       {0, 9999}},
      {"clear from 1", {1, 2, 3}, [](Vec& v) { mp::vec_clear_tail(v, 3, 1); }, {0, 0, 0}},
      {"clear n only", {1, 2, 3}, [](Vec& v) { mp::vec_clear_tail(v, 3, 3); }, {1, 2, 0}},
      {"clear past n", {1, 2, 3}, [](Vec& v) { mp::vec_clear_tail(v, 3, 4); }, {1, 2, 3}},
      {"copy n elements",
       {0, 0, 7},
       [](Vec& v) {
         mp::vec_copy(Vec{5, 6, 9}, v, 2);
       },
       {5, 6, 7}},
  };
  for (const auto& c : cases) {
    Vec v = c.in;
    c.op(v);
    EXPECT_EQ(v, c.out) << c.what;
  }
}

TEST_F(DigitsTest, LengthZeroOrLessTouchesNothing) {
  const Vec original{1234, 5678, 9};
  for (std::int32_t n : {0, -1}) {
    Vec v = original;
    mp::vec_copy(Vec{1, 1, 1}, v, n);
    mp::vec_clear_tail(v, n, 1);
    mp::vec_mul_small(v, n, 7);
    mp::vec_add(v, Vec{1, 1, 1}, n);
    mp::vec_sub(v, Vec{1, 1, 1}, n);
    mp::vec_div_small(v, n, 7);
    EXPECT_EQ(v, original) << "n = " << n;
  }
}

TEST_F(DigitsTest, OnlyTheFirstNElementsChange) {
  Vec v{9999, 9999, 9999, 4321};
  mp::vec_add(v, Vec{0, 0, 1, 1}, 3);
  EXPECT_EQ(v, (Vec{0, 0, 0, 4321}));
  v = {1234, 5678, 4321};
  mp::vec_div_small(v, 2, 3);
  EXPECT_EQ(v, (Vec{411, 5226, 4321}));
}

TEST_F(DigitsTest, SubThenAddRoundTrips) {
  std::mt19937_64 rng(7);
  for (std::size_t n : {1u, 2u, 3u, 17u, 1000u}) {
    const Vec a = random_digits(rng, n);
    const Vec b = random_digits(rng, n);
    Vec v = a;
    mp::vec_sub(v, b, static_cast<std::int32_t>(n));
    mp::vec_add(v, b, static_cast<std::int32_t>(n));
    EXPECT_EQ(v, a) << "n = " << n;
  }
}

// The division passes carry several elements per step; every width and every
// leftover count must give the plain division's digits, over the divisor range.
TEST_F(DigitsTest, DivisionMatchesPlainDivision) {
  std::mt19937_64 rng(11);
  std::vector<std::int64_t> divisors{1, 2, 3, 4, 5, 7, 25, 239, 9999, 10000, 10001, 57121, 91565};
  for (int b = 14; b <= 31; ++b) {
    divisors.push_back((std::int64_t{1} << b) - 1);
    divisors.push_back(std::int64_t{1} << b);
    divisors.push_back((std::int64_t{1} << b) + 1);
  }
  divisors.back() = 2147483647;  // 2^31 + 1 is out of range
  std::uniform_int_distribution<std::int64_t> any(2, 2147483647);
  for (int i = 0; i < 200; ++i) divisors.push_back(any(rng));
  for (std::int64_t d : divisors) {
    if (d > 2147483647) continue;
    for (std::size_t n : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 64u}) {
      std::vector<Vec> inputs{random_digits(rng, n), Vec(n, 9999), Vec(n, 0)};
      Vec one(n, 0);
      one[0] = 10000;
      inputs.push_back(one);
      for (const Vec& in : inputs) {
        Vec fast = in, plain = in;
        mp::vec_div_small(fast, static_cast<std::int32_t>(n), static_cast<std::int32_t>(d));
        plain_div(plain, d);
        ASSERT_EQ(fast, plain) << "d = " << d << ", n = " << n;
      }
    }
  }
}

TEST_F(DigitsTest, MultiplicationMatchesPlainMultiplication) {
  std::mt19937_64 rng(13);
  std::vector<std::int64_t> multipliers{0, 1, 2, 4, 9999, 10000, 10001, 2147483646, 2147483647};
  std::uniform_int_distribution<std::int64_t> any(0, 2147483647);
  for (int i = 0; i < 100; ++i) multipliers.push_back(any(rng));
  for (std::int64_t m : multipliers) {
    for (std::size_t n : {1u, 2u, 5u, 100u}) {
      for (const Vec& in : {random_digits(rng, n), Vec(n, 9999)}) {
        Vec fast = in, plain = in;
        mp::vec_mul_small(fast, static_cast<std::int32_t>(n), static_cast<std::int32_t>(m));
        plain_mul(plain, m);
        ASSERT_EQ(fast, plain) << "m = " << m << ", n = " << n;
      }
    }
  }
}

// The reciprocal at the edges of its range: just below, at and above each
// multiple of d near zero and near the numerator limit.
TEST(Reciprocal, ExactAtMultiplesOfTheDivisor) {
  std::mt19937_64 rng(17);
  std::vector<std::uint64_t> divisors{2, 3, 5, 7, 25, 239, 10000, 91565, 2147483647u, 2147483648u, 4294967295u};
  std::uniform_int_distribution<std::uint64_t> any(2, 4294967295u);
  for (int i = 0; i < 2000; ++i) divisors.push_back(any(rng));
  const std::uint64_t limit = mp::Reciprocal::kNumeratorLimit;
  for (std::uint64_t d : divisors) {
    const mp::Reciprocal rec(static_cast<std::uint32_t>(d));
    std::uniform_int_distribution<std::uint64_t> k_any(1, limit / d - 1);
    std::vector<std::uint64_t> ks{1, 2, 3, limit / d - 1, k_any(rng), k_any(rng)};
    for (std::uint64_t k : ks) {
      for (std::uint64_t s : {k * d - 1, k * d, k * d + 1, k * d + d - 1}) {
        if (s >= limit) continue;
        ASSERT_EQ(rec.quotient(s), s / d) << "s = " << s << ", d = " << d;
      }
    }
    ASSERT_EQ(rec.quotient(limit - 1), (limit - 1) / d) << "d = " << d;
    ASSERT_EQ(rec.quotient(0), 0u);
  }
}

// The product's high half from 32-bit halves, as targets without a 128-bit
// type form it, against long multiplication in 16-bit digits.
TEST(Reciprocal, HighHalfOfTheProductFromHalves) {
  const auto by_digits = [](std::uint64_t a, std::uint64_t b) {
    std::uint64_t digits[8] = {};
    for (int i = 0; i < 4; ++i) {
      std::uint64_t carry = 0;
      for (int j = 0; j < 4; ++j) {
        const std::uint64_t t = digits[i + j] + ((a >> (16 * i)) & 0xffff) * ((b >> (16 * j)) & 0xffff) + carry;
        digits[i + j] = t & 0xffff;
        carry = t >> 16;
      }
      digits[i + 4] += carry;
    }
    return digits[4] | digits[5] << 16 | digits[6] << 32 | digits[7] << 48;
  };
  std::mt19937_64 rng(5);
  std::vector<std::pair<std::uint64_t, std::uint64_t>> pairs{{0, 0}, {~0ull, ~0ull}, {~0ull, 1}, {1ull << 63, 2}};
  for (int i = 0; i < 10000; ++i) pairs.emplace_back(rng(), rng() >> (i % 64));
  for (const auto& [a, b] : pairs) {
    ASSERT_EQ(mp::mul_high_by_halves(a, b), by_digits(a, b)) << a << " * " << b;
    ASSERT_EQ(mp::mul_high(a, b), by_digits(a, b)) << a << " * " << b;
  }
}

}  // namespace

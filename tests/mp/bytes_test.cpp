// Every target computes the same digits as the native build: digests of
// all 32000 expansion lengths, of both arctangents at a table of lengths,
// and of pi combined from them as the program does. The native build's
// oracle tests (GMP, MPFR) prove these values right; the digests were
// written by that build, so a target that differs in one element fails
// here without the oracles.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "mp/arctg.hpp"
#include "mp/common.hpp"
#include "mp/digits.hpp"
#include "mp/estimate.hpp"
#include "tests/mp/recording_console.hpp"

namespace {

using Vec = std::vector<mp::Digit>;

// FNV-1a over each value's four bytes, lowest first.
class Digest {
 public:
  void add(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
      state_ ^= (bits >> shift) & 0xFF;
      state_ *= 0x100000001B3u;
    }
  }
  void add(const Vec& v) {
    for (const mp::Digit d : v) add(d);
  }
  std::uint64_t value() const { return state_; }

 private:
  std::uint64_t state_ = 0xCBF29CE484222325u;
};

class Bytes : public ::testing::Test {
 protected:
  void SetUp() override { mp::common = mp::Common{}; }

  Vec arctg(std::int32_t n, std::int32_t x) {
    Vec result(n), term(n, 7), power(n, 7);
    mp::arctg(result, term, power, n, x, console_);
    return result;
  }

  RecordingConsole console_;
};

TEST_F(Bytes, EveryExpansionLength) {
  Digest digest;
  for (const std::int32_t x : {5, 239}) {
    for (std::int32_t n = 2; n <= 16001; ++n) digest.add(mp::expansion_length(x, n));
  }
  EXPECT_EQ(digest.value(), 6906203285703321786u);
}

// Every length to 400, and longer ones up to 4001; the largest runs in the
// program's own end-to-end tests, once per target.
TEST_F(Bytes, ArctangentsAndPi) {
  std::vector<std::int32_t> lengths;
  for (std::int32_t n = 2; n <= 400; ++n) lengths.push_back(n);
  lengths.insert(lengths.end(), {401, 902, 1001, 2609, 4001});
  Digest arctangents, pi;
  for (const std::int32_t n : lengths) {
    Vec a5 = arctg(n, 5);
    const Vec a239 = arctg(n, 239);
    arctangents.add(a5);
    arctangents.add(a239);
    mp::vec_mul_small(a5, n, 4);
    mp::vec_sub(a5, a239, n);
    mp::vec_mul_small(a5, n, 4);
    pi.add(a5);
  }
  EXPECT_EQ(arctangents.value(), 9478521199817989654u);
  EXPECT_EQ(pi.value(), 12384175833194075686u);
}

}  // namespace

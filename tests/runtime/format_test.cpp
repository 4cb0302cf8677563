#include "runtime/format.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/runtime/f2c_oracle.h"
#include "tests/runtime/scratch_dir.hpp"

namespace {

// Each check writes with the library to a file and compares the bytes.
class FormatTest : public ::testing::Test {
 protected:
  std::string library_integers(const char* format, const std::vector<std::int32_t>& values) {
    std::filesystem::remove(dir_ / "out");
    EXPECT_EQ(oracle_write_integers((dir_ / "out").c_str(), format, values.data(), static_cast<int>(values.size())), 0);
    return dir_.read("out");
  }
  std::string library_real(const char* format, float value) {
    std::filesystem::remove(dir_ / "out");
    EXPECT_EQ(oracle_write_real((dir_ / "out").c_str(), format, value), 0);
    return dir_.read("out");
  }
  std::string library_list(const char* kinds, std::vector<const char*> texts, std::vector<std::int32_t> integers,
                           std::vector<float> reals) {
    std::filesystem::remove(dir_ / "out");
    EXPECT_EQ(oracle_write_list((dir_ / "out").c_str(), kinds, texts.data(), integers.data(), reals.data()), 0);
    return dir_.read("out");
  }
  ScratchDir dir_;
};

std::vector<float> interesting_reals() {
  std::vector<float> v{0.0f,       0.1f,       0.099999994f, 0.5f,       1.0f,      2.0f,         37.0f,   300.0f,
                       1621.6217f, 24576.002f, 1228800.0f,   9999999.0f, 1e7f,      123456789.0f, 0.0048f, 1e-5f,
                       -86363.0f,  -1.0f,      -0.25f,       9.9999995f, 99.99999f, 0.99999994f,  3e38f,   1e-38f};
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> exponent(-8, 8);
  for (int i = 0; i < 300; ++i) v.push_back(static_cast<float>(std::pow(10.0, exponent(rng))));
  std::uniform_int_distribution<int> seconds(-86400, 86400);
  for (int i = 0; i < 100; ++i) v.push_back(static_cast<float>(seconds(rng)));
  return v;
}

TEST_F(FormatTest, G15_7MatchesTheLibrary) {
  SKIP_WITHOUT_FORMATTED_ORACLE();
  for (float x : interesting_reals()) {
    EXPECT_EQ(runtime::field_g(x, 15, 7) + "\n", library_real("(g15.7)", x)) << x;
  }
}

// The library at hand leaves out the zero before the point of a value below
// 1 (".5"); the program writes it ("0.5"), as its console and files always
// have. Every other byte is the library's.
std::string with_leading_zero(std::string record) {
  for (const char* sign : {"  .", " -."}) {
    const std::size_t at = record.find(sign);
    if (at != std::string::npos) record.insert(at + 2, 1, '0');
  }
  return record;
}

TEST_F(FormatTest, ListDirectedRealMatchesTheLibrary) {
  for (float x : interesting_reals()) {
    EXPECT_EQ(runtime::ListRecord().text("Duration is").real(x).text(" sec").str(),
              with_leading_zero(library_list("trt", {"Duration is", " sec"}, {}, {x})))
        << x;
  }
}

TEST_F(FormatTest, IntegerFieldsMatchTheLibrary) {
  SKIP_WITHOUT_FORMATTED_ORACLE();
  const std::vector<std::int32_t> values{0,       1,     4,     9,     42,     251,       1234,
                                         9999,    10000, 16001, 64000, 99999,  100000,    999999,
                                         1000000, -1,    -42,   -9999, -99999, INT32_MAX, INT32_MIN};
  for (std::int32_t v : values) {
    EXPECT_EQ(runtime::field_i(v, 5) + "\n", library_integers("(i5)", {v})) << v;
    EXPECT_EQ(runtime::field_i(v, 6) + "\n", library_integers("(i6)", {v})) << v;
    EXPECT_EQ(runtime::field_i(v, 4, 4) + "\n", library_integers("(i4.4)", {v})) << v;
  }
}

TEST_F(FormatTest, ListDirectedItemsMatchTheLibrary) {
  EXPECT_EQ(runtime::ListRecord().str(), library_list("", {}, {}, {}));
  for (std::int32_t v : {0, 3, -5, 1000, 16000, 64000, INT32_MIN}) {
    EXPECT_EQ(runtime::ListRecord().integer(v).text(" has been entered.").str(),
              library_list("it", {" has been entered."}, {v}, {}));
  }
  EXPECT_EQ(runtime::ListRecord().text("Expansion length is considered:").integer(45782).str(),
            library_list("ti", {"Expansion length is considered:"}, {45782}, {}));
  const std::string name50 = "DEC 3000-600s AXP alpha station                   ";
  EXPECT_EQ(runtime::ListRecord().text(name50).real(1621.6217f).str(),
            library_list("tr", {name50.c_str()}, {}, {1621.6217f}));
}

// Records of "(label, (Tc, 25I4.4))": full and partial last records, and
// the reversion to column c.
TEST_F(FormatTest, GroupRecordsMatchTheLibrary) {
  SKIP_WITHOUT_FORMATTED_ORACLE();
  std::mt19937 rng(3);
  std::uniform_int_distribution<std::int32_t> digit(0, 9999);
  for (std::size_t count : {1u, 2u, 24u, 25u, 26u, 50u, 51u, 250u, 16000u}) {
    std::vector<std::int32_t> groups(count);
    for (auto& g : groups) g = digit(rng);
    groups[0] = 41;
    std::string records = "stale";
    runtime::group_records(records, " ArcTangent( 1 / 5 ) = 0.", 26, groups);
    EXPECT_EQ(records, library_integers("(' ArcTangent( 1 / 5 ) = 0.',(T26,25I4.4))", groups)) << count;
    EXPECT_LE(records.size(), runtime::group_records_bound(count, 26));
    runtime::group_records(records, " Pi = 3.", 9, groups);
    EXPECT_EQ(records, library_integers("(' Pi = 3.',(T9,25I4.4))", groups)) << count;
  }
}

}  // namespace

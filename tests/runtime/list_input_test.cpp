#include "runtime/list_input.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/runtime/read_trace.hpp"
#include "tests/runtime/scratch_dir.hpp"

namespace {

using namespace read_trace;

TEST(ListInput, AgreesWithTheLibraryOnACorpus) {
  const ScratchDir dir;
  const std::vector<std::string> corpus{
      "1000\n",
      "1000",
      "1000abc\n",
      "1000d\n",
      "1000D7\n",
      "1000e5\n",
      "1000.0\n",
      "1E3\n",
      "12+1\n",
      "1000-5\n",
      "1000-\n",
      "-,\n",
      "+\n",
      "-\n",
      "3*5\n",
      "3*\n",
      "3*,\n",
      "0*5\n",
      "012*5\n",
      "-3*5\n",
      ",\n",
      "/\n",
      "\n\n 7 8\n9\n",
      "abc\n",
      "99999999999\n",
      "-2147483649\n",
      "2147483648\n",
      "-2147483648\n",
      "1-6000\n",
      "1+99999999999\n",
      "1+999999999\n",
      "\t5\n",
      "5*\n",
      "2*3*4\n",
      "x\n",
      "'5'\n",
      "1 2\n",
      "5/\n",
      " \n",
      "",
      "  ",
      "5,6\n",
      "1-0\n",
      ".5\n",
      "+5\n",
      "-0\n",
      "5*7\n6\n",
      "5*\n6\n",
      "2147483647\n",
      "1q2\n",
      "1e\n",
      std::string(60, '0') + "1\n",
      "1234567890123456789012345678901234567890123-40\n",
      "3\n0\n-5\n64001\n4\n",
      "\n\n\n",
      "1000\n\n",
      "7 /\n",
      "2*\n3\n",
      "1*-5\n",
      "1*+\n",
      "4*-\n",
  };
  for (const std::string& input : corpus) {
    const Trace mine = ours(input), ref = reference(dir, input);
    EXPECT_TRUE(agrees(mine, ref)) << "input \"" << input << "\": " << show(mine) << " vs library " << show(ref);
  }
}

TEST(ListInput, AgreesWithTheLibraryOnRandomAnswers) {
  const ScratchDir dir;
  std::mt19937 rng(2026);
  const std::string alphabet = "0123456789000111+-*,/ .eEdDqx\t\n\n";
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1), length(0, 14);
  int failures = 0;
  for (int i = 0; i < 4000 && failures < 10; ++i) {
    std::string input;
    for (std::size_t n = length(rng); n > 0; --n) input += alphabet[pick(rng)];
    const Trace mine = ours(input), ref = reference(dir, input);
    if (!agrees(mine, ref)) {
      ++failures;
      ADD_FAILURE() << "input \"" << input << "\": " << show(mine) << " vs library " << show(ref);
    }
  }
}

// Deliberate differences from the library: a value beyond the 32-bit range
// is an error rather than a wrapped number, and a carriage return ending a
// line is a blank.
TEST(ListInput, OutOfRangeAndCarriageReturns) {
  struct Case {
    std::string input;
    Trace trace;
  };
  const Case cases[] = {
      {"2147483648\n", {{1}, {16000}}}, {"-2147483649\n", {{1}, {16000}}}, {"3+9\n", {{1}, {16000}}},
      {"8\r\n", {{0, -1}, {8, 8}}},     {"\r\n8\n", {{0, -1}, {8, 8}}},    {"\r\n\r\n", {{-1}, {16000}}},
      {"8\rx\n", {{0, -1}, {8, 8}}},    {"\rx\n", {{1}, {16000}}},
  };
  for (const Case& c : cases) EXPECT_EQ(ours(c.input), c.trace) << "input \"" << c.input << "\"";
}

}  // namespace

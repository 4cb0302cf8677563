// The outlier rule every batch prints: more than 3 median absolute
// deviations from the median, with the mean of the middle two for an even
// count, and none where the deviations' median is 0.
#include "report/statistics.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace {

TEST(Statistics, Outliers) {
  struct Case {
    std::vector<double> figures;
    std::vector<std::size_t> outliers;
  };
  const Case cases[] = {
      {{10, 11, 9, 10, 13}, {}},      // exactly 3 deviations: not one
      {{10, 11, 9, 10, 13.01}, {4}},  // just past them, above
      {{10, 11, 9, 10, 6.9}, {4}},    // and below
      {{10, 11, 9, 10, 12.6}, {}},    // 2.6: a threshold of 2.5 would find it
      // Even counts: the lower middle would find 0 and 2, the upper none.
      {{98, 105, 109, 102, 103, 102}, {2}},
      {{91, 109, 109, 91, 102, 108}, {0, 3}},
      // Half the figures equal: a zero median deviation finds nothing.
      {{10, 10, 10, 10, 50}, {}},
      {{10, 10, 10, 11, 9, 10}, {}},
      {{7, 7, 7, 7}, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(report::outliers(c.figures), c.outliers) << ::testing::PrintToString(c.figures);
}

}  // namespace

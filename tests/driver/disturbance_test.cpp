// What tells a disturbed run of several copies: their processor time over
// their own times, and how unequal those times were.
#include "driver/disturbance.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

driver::RunFacts copies_run(std::vector<double> copy_elapsed, double cpu_seconds) {
  driver::RunFacts facts;
  facts.copies = static_cast<int>(copy_elapsed.size());
  facts.interval.start = {0, 100.0};
  facts.interval.end = {0, 100.0 + *std::max_element(copy_elapsed.begin(), copy_elapsed.end())};
  facts.copy_elapsed = std::move(copy_elapsed);
  facts.before.cpu_seconds = 5.0;
  facts.after.cpu_seconds = 5.0 + cpu_seconds;
  return facts;
}

TEST(Disturbance, CopiesJudgedOverTheirOwnTimes) {
  struct Case {
    std::vector<double> copy_elapsed;
    double cpu_seconds;
    std::vector<std::string> reasons;
  };
  const Case cases[] = {
      // A copy that ends first does not count as idle.
      {{8.0, 8.6}, 16.6, {}},
      {{8.0, 9.0}, 17.0, {"copies unequal: slowest took 1.12 times the fastest"}},
      {{6.0, 9.0}, 12.0, {"cpu share 0.80", "copies unequal: slowest took 1.50 times the fastest"}},
  };
  for (const Case& c : cases) {
    const driver::RunHealth health = driver::assess(copies_run(c.copy_elapsed, c.cpu_seconds));
    ASSERT_TRUE(health.disturbed);
    EXPECT_EQ(*health.disturbed, c.reasons) << c.cpu_seconds;
  }
}

}  // namespace

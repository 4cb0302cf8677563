// The report's uncertainty against values computed independently with R
// 4.2: exp(median(outer(log(x), log(y), "-"))) for the Hodges-Lehmann
// ratio, wilcox.test(log(x), log(y), conf.int = TRUE) for its interval,
// qbinom() for the median's interval and pwilcox() for the exact
// Mann-Whitney distribution.
#include "report/uncertainty.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/statistics.hpp"

namespace {

TEST(Uncertainty, ShiftAgainstR) {
  struct Case {
    std::string name;
    std::vector<double> x, y;
    double ratio, low, high;
  };
  // The interval exact without ties below 50 a side; else by the normal
  // approximation, whose roots R finds to 1e-4 on the logarithms.
  const Case cases[] = {
      {"exact, no ties",
       {1.02, 1.05, 0.99, 1.03, 1.04},
       {1.000, 1.010, 0.980, 0.995, 1.005, 0.970},
       1.03500086022646,
       0.994974874371859,
       1.06185567010309},
      {"record figures, ties",
       {491520, 491520, 409600, 491520},
       {409600.0, 409600.0, 351085.7, 409600.0, 409600.0},
       1.2,
       1,
       1.40000005696615},
      {"equal medians", {1, 2, 3, 4, 5}, {1.1, 2.1, 3.0, 3.9, 4.9}, 1, 0.333341105655573, 2.72703400628612},
      {"4 against 50",
       {310, 305, 312, 308},
       {305.890, 306.365, 300.988, 294.702, 293.288, 298.044, 304.599, 306.926, 302.885, 296.192,
        293.000, 296.244, 302.941, 306.934, 304.552, 297.985, 293.270, 294.743, 301.049, 306.391,
        305.857, 299.938, 294.076, 293.661, 299.074, 305.338, 306.695, 301.896, 295.355, 293.084,
        297.172, 303.860, 306.999, 303.704, 297.003, 293.058, 295.495, 302.075, 306.747, 305.216,
        298.890, 293.584, 294.178, 300.124, 305.956, 306.313, 300.865, 294.622, 293.324, 298.163},
       1.02979146053301,
       1.01127228701429,
       1.04910198755973},
      {"every figure equal on one side",
       {5, 5, 5, 5},
       {4.0, 4.5, 5.5, 6.0, 6.5},
       0.909090909090909,
       0.769230769230769,
       1.25},
      {"clearly slower",
       {90, 91, 92, 93, 94, 95},
       {100, 101, 102, 103, 104, 105, 106},
       0.898111225620137,
       0.87378640776699,
       0.922330097087378},
  };
  for (const Case& c : cases) {
    const std::optional<report::Shift> s = report::shift(c.x, c.y);
    ASSERT_TRUE(s) << c.name;
    EXPECT_NEAR(s->ratio / c.ratio, 1, 2e-4) << c.name;
    EXPECT_NEAR(s->interval.low / c.low, 1, 2e-4) << c.name;
    EXPECT_NEAR(s->interval.high / c.high, 1, 2e-4) << c.name;
  }
  EXPECT_FALSE(report::shift({1, 2, 3}, {1, 2, 3, 4}));  // fewer than 4 a side
  const std::optional<report::Shift> same = report::shift({7, 7, 7, 7}, {7, 7, 7, 7, 7});
  ASSERT_TRUE(same);  // every figure equal: no shift, and no width
  EXPECT_EQ(same->ratio, 1);
  EXPECT_EQ(same->interval.low, 1);
  EXPECT_EQ(same->interval.high, 1);
}

TEST(Uncertainty, MedianIntervalAndExactDistributionAgainstR) {
  struct Median {
    std::vector<double> figures;
    double low, high;
  };
  std::vector<double> hundred;
  for (int i = 1; i <= 100; ++i) hundred.push_back(i + 0.5);
  const Median medians[] = {
      {{1, 2, 3, 4, 5, 6}, 1, 6},
      {{7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21}, 10, 18},
      {hundred, 40.5, 61.5},
  };
  for (const Median& m : medians) {
    const std::optional<report::Interval> i = report::median_interval(m.figures);
    ASSERT_TRUE(i);
    EXPECT_EQ(i->low, m.low);
    EXPECT_EQ(i->high, m.high);
  }
  EXPECT_FALSE(report::median_interval({1, 2, 3, 4, 5}));

  struct Cdf {
    int u, m, n;
    double p;
  };
  const Cdf cdfs[] = {{3, 4, 5, 0.055555555555555552},   {0, 4, 4, 0.014285714285714285},
                      {12, 6, 7, 0.11713286713286714},   {600, 49, 49, 6.0817706871531859e-06},
                      {1, 2, 49, 0.0015686274509803921}, {1000, 49, 49, 0.077968162023427587}};
  for (const Cdf& c : cdfs) EXPECT_NEAR(report::mann_whitney_cdf(c.u, c.m, c.n) / c.p, 1, 1e-9) << c.u;
}

// The verdict of each row against the reference.
TEST(Uncertainty, Verdicts) {
  report::Runs runs;
  const auto add = [&](const char* machine, std::vector<double> figures) {
    for (const double f : figures) runs.add(report::Run{machine, 64000, f, true, {}});
  };
  add("reference", {100, 101, 102, 103, 104, 105});
  add("faster", {110, 111, 112, 113, 114});
  add("slower", {90, 91, 92, 93});
  add("same", {100.5, 101.5, 102.5, 103.5, 104.5});
  add("few", {50, 60, 70});
  const std::optional<report::Report> r = report::summarise(runs, "reference");
  ASSERT_TRUE(r);
  std::map<std::string, report::Verdict> verdicts;
  for (const report::MachineSummary& m : r->machines) verdicts[m.machine] = m.verdict;
  EXPECT_EQ(verdicts, (std::map<std::string, report::Verdict>{{"reference", report::Verdict::kReference},
                                                              {"faster", report::Verdict::kFaster},
                                                              {"slower", report::Verdict::kSlower},
                                                              {"same", report::Verdict::kNoDifference},
                                                              {"few", report::Verdict::kTooFewRuns}}));
  for (const report::MachineSummary& m : r->machines) {
    if (m.machine == "same") {
      EXPECT_GT(m.runs_to_resolve, 4);
    }
  }
}

}  // namespace

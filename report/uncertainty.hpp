#pragma once
// How sure a comparison is: a distribution-free 95 % interval of a median,
// and the shift between two machines' figures with its 95 % interval, as
// R's wilcox.test(conf.int = TRUE) computes them. No resampling: the same
// figures give the same bytes.
#include <optional>
#include <vector>

namespace report {

constexpr int kMinRunsForMedianInterval = 6;
constexpr int kMinRunsForVerdict = 4;  // a side

struct Interval {
  double low, high;
};

// The 95 % interval of the median of sorted figures by order statistics
// (the binomial method); nullopt for fewer than 6 figures.
std::optional<Interval> median_interval(const std::vector<double>& sorted);

// The ratio of a machine's figures to the reference's: the Hodges-Lehmann
// estimate of the shift of their logarithms, and Moses' 95 % interval from
// the Mann-Whitney distribution (exact below 50 figures a side without
// ties, else its normal approximation with continuity and tie correction).
struct Shift {
  double ratio;
  Interval interval;  // as ratios
};
// nullopt below 4 figures a side.
std::optional<Shift> shift(const std::vector<double>& figures, const std::vector<double>& reference);

// The runs a side that would resolve a difference of 1 % at the spread of
// the two machines' figures: the two-sample normal power estimate (5 %
// two-sided, 80 % power) over the rank test's efficiency 3/pi.
int runs_to_resolve_one_percent(const std::vector<double>& figures, const std::vector<double>& reference);

// The exact Mann-Whitney distribution: P(U <= u) for m and n figures,
// computed once per pair of sizes.
double mann_whitney_cdf(int u, int m, int n);

}  // namespace report

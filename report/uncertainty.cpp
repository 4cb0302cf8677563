#include "report/uncertainty.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>
#include <numeric>
#include <utility>

namespace report {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

constexpr double kAlpha = 0.05;
constexpr double kZ = 1.959963984540054;  // the normal distribution's 97.5 % point
constexpr int kExactBelow = 50;
constexpr std::size_t kMaxPairs = std::size_t{1} << 22;

// P(U <= u) for every u, for m and n figures: the counts of the orderings
// in which u pairs have the x above the y, added up, over C(m + n, m).
const std::vector<double>& cumulative_distribution(int m, int n) {
  static std::map<std::pair<int, int>, std::vector<double>> cache;
  auto [it, fresh] = cache.try_emplace({m, n});
  if (!fresh) return it->second;
  // counts[j][u] for m' x's and j y's: the largest of them is an x,
  // beating all j y's, or a y.
  std::vector<std::vector<double>> previous(static_cast<std::size_t>(n) + 1), current(previous.size());
  for (auto& c : previous) c = {1};  // no x
  for (int i = 1; i <= m; ++i) {
    current[0] = {1};
    for (int j = 1; j <= n; ++j) {
      std::vector<double>& c = current[static_cast<std::size_t>(j)];
      c.assign(static_cast<std::size_t>(i * j) + 1, 0);
      const std::vector<double>& x_largest = previous[static_cast<std::size_t>(j)];
      const std::vector<double>& y_largest = current[static_cast<std::size_t>(j) - 1];
      for (std::size_t u = 0; u < x_largest.size(); ++u) c[u + static_cast<std::size_t>(j)] += x_largest[u];
      for (std::size_t u = 0; u < y_largest.size(); ++u) c[u] += y_largest[u];
    }
    std::swap(previous, current);
  }
  std::vector<double>& cdf = it->second;
  cdf = previous[static_cast<std::size_t>(n)];
  std::partial_sum(cdf.begin(), cdf.end(), cdf.begin());
  const double total = cdf.back();
  for (double& p : cdf) p /= total;
  return cdf;
}

// The smallest u with P(U <= u) >= p (R's qwilcox).
int mann_whitney_quantile(double p, int m, int n) {
  const std::vector<double>& cdf = cumulative_distribution(m, n);
  // A relative margin, so that a probability equal to p in exact terms counts.
  const auto it = std::lower_bound(cdf.begin(), cdf.end(), p * (1 - 1e-12));
  return static_cast<int>(it - cdf.begin());
}

double median_of_sorted_values(const std::vector<double>& v) {
  const std::size_t k = v.size();
  return k % 2 == 1 ? v[k / 2] : v[k / 2 - 1] / 2 + v[k / 2] / 2;
}

std::vector<double> sorted_logs(const std::vector<double>& figures) {
  std::vector<double> logs;
  logs.reserve(figures.size());
  for (const double f : figures) logs.push_back(std::log(f));
  std::sort(logs.begin(), logs.end());
  return logs;
}

bool any_ties(const std::vector<double>& x, const std::vector<double>& y) {
  std::vector<double> all = x;
  all.insert(all.end(), y.begin(), y.end());
  std::sort(all.begin(), all.end());
  return std::adjacent_find(all.begin(), all.end()) != all.end();
}

// R's wdiff: the normal score of the Mann-Whitney statistic of x - d
// against y, with its continuity and tie corrections, less zq. x and y sorted.
double normal_score(const std::vector<double>& x, const std::vector<double>& y, double d, double zq) {
  const double m = static_cast<double>(x.size()), n = static_cast<double>(y.size());
  // The pairs with x - d above y, ties counting half, and the tie groups
  // of the combined sample, in one merge.
  double u = 0, ties = 0;
  std::size_t i = 0, j = 0;
  while (i < x.size() || j < y.size()) {
    const double value = j == y.size() || (i < x.size() && x[i] - d < y[j]) ? x[i] - d : y[j];
    std::size_t xs = 0, ys = 0;
    while (i < x.size() && x[i] - d == value) ++i, ++xs;
    while (j < y.size() && y[j] == value) ++j, ++ys;
    u += static_cast<double>(xs) * (static_cast<double>(j - ys) + 0.5 * static_cast<double>(ys));
    const double t = static_cast<double>(xs + ys);
    ties += t * t * t - t;
  }
  const double dz = u - m * n / 2;
  const double sigma = std::sqrt(m * n / 12 * ((m + n + 1) - ties / ((m + n) * (m + n - 1))));
  if (sigma == 0) return dz > 0 ? kInfinity : dz < 0 ? -kInfinity : -zq;
  const double correction = dz > 0 ? 0.5 : dz < 0 ? -0.5 : 0;
  return (dz - correction) / sigma - zq;
}

// The d in [low, high] where the score crosses zero: the score falls as d
// grows, in steps, so the middle of the d where it is neither above nor
// below zero, each end found by bisection.
double root(const std::vector<double>& x, const std::vector<double>& y, double zq) {
  const double low = x.front() - y.back(), high = x.back() - y.front();
  if (normal_score(x, y, low, zq) <= 0) return low;
  if (normal_score(x, y, high, zq) >= 0) return high;
  // The boundary of the d for which `before` holds, which all lie below it.
  const auto boundary = [&](auto before) {
    double a = low, b = high;
    for (int k = 0; k < 200 && b - a > 1e-13 * std::max(1.0, std::fabs(a)); ++k) {
      const double mid = a + (b - a) / 2;
      (before(normal_score(x, y, mid, zq)) ? a : b) = mid;
    }
    return a + (b - a) / 2;
  };
  const double last_above = boundary([](double score) { return score > 0; });
  const double first_below = boundary([](double score) { return score >= 0; });
  return last_above + (first_below - last_above) / 2;
}

}  // namespace

double mann_whitney_cdf(int u, int m, int n) {
  const std::vector<double>& cdf = cumulative_distribution(m, n);
  if (u < 0) return 0;
  return cdf[std::min(static_cast<std::size_t>(u), cdf.size() - 1)];
}

std::optional<Interval> median_interval(const std::vector<double>& sorted) {
  const int n = static_cast<int>(sorted.size());
  if (n < kMinRunsForMedianInterval) return std::nullopt;
  // The largest k with P(B <= k - 1) <= 2.5 % for B ~ Binomial(n, 1/2):
  // [x(k), x(n - k + 1)] holds the median with at least 95 %.
  double log_term = -n * std::log(2.0);  // log P(B = 0)
  double below = 0;
  int k = 0;
  for (int i = 0; i < n; ++i) {
    below += std::exp(log_term);
    if (below > kAlpha / 2) break;
    k = i + 1;
    log_term += std::log(static_cast<double>(n - i)) - std::log(static_cast<double>(i + 1));
  }
  if (k == 0) return std::nullopt;
  return Interval{sorted[static_cast<std::size_t>(k - 1)], sorted[static_cast<std::size_t>(n - k)]};
}

std::optional<Shift> shift(const std::vector<double>& figures, const std::vector<double>& reference) {
  const int m = static_cast<int>(figures.size()), n = static_cast<int>(reference.size());
  if (m < kMinRunsForVerdict || n < kMinRunsForVerdict) return std::nullopt;
  const std::vector<double> x = sorted_logs(figures), y = sorted_logs(reference);
  double estimate = 0;
  Interval interval{};
  if (x.front() == x.back() && y.front() == y.back() && x.front() == y.front()) {
    estimate = 0;  // every figure the same: no shift, and no width to it
    interval = {0, 0};
  } else {
    // The estimate is the median of all differences while they fit in
    // memory; past that, where the normal score of the shift crosses zero.
    const std::size_t pairs = static_cast<std::size_t>(m) * static_cast<std::size_t>(n);
    std::vector<double> differences;
    if (pairs <= kMaxPairs) {
      differences.reserve(pairs);
      for (const double a : x) {
        for (const double b : y) differences.push_back(a - b);
      }
      std::sort(differences.begin(), differences.end());
      estimate = median_of_sorted_values(differences);
    } else {
      estimate = root(x, y, 0);
    }
    if (m < kExactBelow && n < kExactBelow && !any_ties(x, y)) {
      int upper_rank = mann_whitney_quantile(kAlpha / 2, m, n);
      if (upper_rank == 0) upper_rank = 1;
      const int lower_rank = m * n - upper_rank;
      interval = {differences[static_cast<std::size_t>(upper_rank) - 1],
                  differences[static_cast<std::size_t>(lower_rank)]};
    } else {
      interval = {root(x, y, kZ), root(x, y, -kZ)};
    }
  }
  return Shift{std::exp(estimate), {std::exp(interval.low), std::exp(interval.high)}};
}

int runs_to_resolve_one_percent(const std::vector<double>& figures, const std::vector<double>& reference) {
  const auto sum_of_squares = [](const std::vector<double>& logs) {
    const double mean = std::accumulate(logs.begin(), logs.end(), 0.0) / static_cast<double>(logs.size());
    double s = 0;
    for (const double v : logs) s += (v - mean) * (v - mean);
    return s;
  };
  const std::vector<double> x = sorted_logs(figures), y = sorted_logs(reference);
  const double degrees = static_cast<double>(x.size() + y.size()) - 2;
  const double variance = degrees > 0 ? (sum_of_squares(x) + sum_of_squares(y)) / degrees : 0;
  constexpr double kZPower = 0.8416212335729143;  // 80 % power
  const double delta = std::log(1.01);
  const double n = 2 * (kZ + kZPower) * (kZ + kZPower) * variance / (delta * delta) / (3 / std::numbers::pi);
  return std::max(kMinRunsForVerdict, static_cast<int>(std::ceil(std::min(n, 1e9))));
}

}  // namespace report

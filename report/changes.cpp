#include "report/changes.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>

namespace report {

namespace {

constexpr double kMadToDeviation = 1.482602218505602;  // 1 / Phi^-1(3/4): a normal law's deviation from its MAD
constexpr double kOddDeviations = 3;
// The MAD's efficiency at the normal law (Rousseeuw and Croux, JASA 1993):
// a variance from it is worth about 37 % of as many squares.
constexpr double kMadEfficiency = 0.37;
constexpr double kAlpha = 0.05;

double median_in_place(std::vector<double>& values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  if (values.size() % 2 == 1) return *middle;
  return (*std::max_element(values.begin(), middle) + *middle) / 2;
}

// The variance of the lag-k differences: their mean square about their
// median over those within kTrim deviations of it (the deviation from their
// MAD), so that the few differences across a step or an odd batch are left
// out while the rest keep most of the squares' precision; about their mean,
// all of them, when more than half of them are equal.
double lag_variance(const std::vector<double>& logs, std::size_t lag) {
  constexpr double kTrim = 3;
  constexpr double kTrimmedSquare = 0.973337;  // E[z^2 | |z| < 3] for a standard normal z
  std::vector<double> differences;
  differences.reserve(logs.size() - lag);
  for (std::size_t i = lag; i < logs.size(); ++i) differences.push_back(logs[i] - logs[i - lag]);
  std::vector<double> deviations = differences;
  const double centre = median_in_place(deviations);
  for (double& d : deviations) d = std::fabs(d - centre);
  const double reach = kTrim * median_in_place(deviations) * kMadToDeviation;
  double squares = 0;
  if (reach > 0) {
    double kept = 0;
    for (const double d : differences) {
      if (std::fabs(d - centre) > reach) continue;
      squares += (d - centre) * (d - centre);
      ++kept;
    }
    return squares / kept / kTrimmedSquare;
  }
  const auto count = static_cast<double>(differences.size());
  double mean = 0;
  for (const double d : differences) mean += d;
  mean /= count;
  for (const double d : differences) squares += (d - mean) * (d - mean);
  return squares / count;
}

// The thresholds by series length, for no drift between batches and for
// the most modelled: a series takes the one of its estimated drift, in
// proportion between the two. A length in between takes the larger of its
// neighbours'.
struct Calibrated {
  std::size_t n;
  double steady, drifting;
};
// Written by bench/changes_calibration.cpp.
constexpr std::array kThresholds = {
#include "report/changes_thresholds.inc"
};

}  // namespace

Noise estimate_noise(const std::vector<double>& logs) {
  if (logs.size() < 3) return Noise{0, 0, 0};
  // For AR(1) noise of variance sigma^2, the lag-k differences have
  // variance 2 sigma^2 (1 - phi^k).
  const double v1 = lag_variance(logs, 1), v2 = lag_variance(logs, 2);
  if (!(v1 > 0)) return Noise{0, 0, 0};
  const double phi = std::clamp(v2 / v1 - 1, 0.0, kMaxPhi);
  const double variance = v1 / (2 * (1 - phi));
  return Noise{std::sqrt(variance), phi, std::sqrt(variance * (1 + phi) / (1 - phi))};
}

std::vector<double> damped(const std::vector<double>& logs, double sigma) {
  std::vector<double> out(logs.size());
  const double reach = kOddDeviations * sigma;
  for (std::size_t i = 0; i < logs.size(); ++i) {
    const std::size_t lo = i < 2 ? 0 : i - 2, hi = std::min(logs.size(), i + 3);
    // At most five values, sorted by insertion.
    std::array<double, 5> window{};
    std::size_t size = 0;
    for (std::size_t j = lo; j < hi; ++j, ++size) {
      std::size_t k = size;
      for (; k > 0 && window[k - 1] > logs[j]; --k) window[k] = window[k - 1];
      window[k] = logs[j];
    }
    const double centre = size % 2 == 1 ? window[size / 2] : (window[size / 2 - 1] + window[size / 2]) / 2;
    out[i] = std::clamp(logs[i], centre - reach, centre + reach);
  }
  return out;
}

Split largest_split(const std::vector<double>& prefix_sums, std::size_t lo, std::size_t hi, double long_run) {
  Split best{0, lo};
  if (!(long_run > 0) || hi - lo < kMinChangeBatches) return best;
  const double total = prefix_sums[hi] - prefix_sums[lo];
  for (std::size_t k = lo + kMinSegment; k + kMinSegment <= hi; ++k) {
    const auto a = static_cast<double>(k - lo), b = static_cast<double>(hi - k);
    const double before = (prefix_sums[k] - prefix_sums[lo]) / a,
                 after = (total - (prefix_sums[k] - prefix_sums[lo])) / b;
    const double statistic = std::fabs(after - before) / (long_run * std::sqrt(1 / a + 1 / b));
    if (statistic > best.statistic) best = Split{statistic, k};
  }
  return best;
}

double change_threshold(std::size_t n, double phi) {
  const auto at = [phi](const Calibrated& c) { return c.steady + (c.drifting - c.steady) * phi / kMaxPhi; };
  const auto above = std::lower_bound(kThresholds.begin(), kThresholds.end(), n,
                                      [](const Calibrated& c, std::size_t m) { return c.n < m; });
  if (above == kThresholds.end()) return at(kThresholds.back());
  if (above->n == n || above == kThresholds.begin()) return at(*above);
  return std::max(at(*above), at(*std::prev(above)));
}

namespace {

struct Prepared {
  std::vector<double> prefix_sums;
  Noise noise;
};

Prepared prepare(const std::vector<double>& logs) {
  const Noise noise = estimate_noise(logs);
  const std::vector<double> values = damped(logs, noise.sigma);
  // About the first value, so that long series keep their precision.
  std::vector<double> sums(values.size() + 1, 0.0);
  for (std::size_t i = 0; i < values.size(); ++i) sums[i + 1] = sums[i] + (values[i] - values[0]);
  return Prepared{std::move(sums), noise};
}

}  // namespace

double series_statistic(const std::vector<double>& logs) {
  const Prepared p = prepare(logs);
  return largest_split(p.prefix_sums, 0, logs.size(), p.noise.long_run).statistic;
}

ChangeSearch find_changes(const std::vector<double>& logs) {
  ChangeSearch search;
  if (logs.size() < kMinChangeBatches) return search;
  search.from = logs.size() > kMaxChangeBatches ? logs.size() - kMaxChangeBatches : 0;
  const std::vector<double> latest(logs.begin() + static_cast<std::ptrdiff_t>(search.from), logs.end());
  const Prepared p = prepare(latest);
  search.noise = p.noise;
  if (!(p.noise.long_run > 0)) return search;
  search.searched = true;
  const double threshold = change_threshold(latest.size(), p.noise.phi);
  // Binary segmentation: each segment split where its CUSUM is largest,
  // while that exceeds the series' threshold.
  std::vector<std::size_t> places;
  std::vector<std::pair<std::size_t, std::size_t>> pending = {{0, latest.size()}};
  while (!pending.empty()) {
    const auto [lo, hi] = pending.back();
    pending.pop_back();
    const Split split = largest_split(p.prefix_sums, lo, hi, p.noise.long_run);
    if (!(split.statistic > threshold)) continue;
    places.push_back(split.at);
    pending.emplace_back(lo, split.at);
    pending.emplace_back(split.at, hi);
  }
  std::sort(places.begin(), places.end());
  // Each change's ratio between the means of its neighbouring segments,
  // with a t interval from the long-run deviation.
  const double degrees = std::max(1.0, kMadEfficiency * static_cast<double>(latest.size() - 2));
  const double t = student_t_quantile(1 - kAlpha / 2, degrees);
  const auto mean = [&](std::size_t lo, std::size_t hi) {
    return (p.prefix_sums[hi] - p.prefix_sums[lo]) / static_cast<double>(hi - lo);
  };
  for (std::size_t c = 0; c < places.size(); ++c) {
    const std::size_t lo = c == 0 ? 0 : places[c - 1], at = places[c];
    const std::size_t hi = c + 1 == places.size() ? latest.size() : places[c + 1];
    const double difference = mean(at, hi) - mean(lo, at);
    const double half =
        t * p.noise.long_run * std::sqrt(1 / static_cast<double>(at - lo) + 1 / static_cast<double>(hi - at));
    search.changes.push_back(Change{search.from + at, std::exp(difference),
                                    Interval{std::exp(difference - half), std::exp(difference + half)}});
  }
  return search;
}

}  // namespace report

#include "report/uncertainty.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <numeric>
#include <utility>

namespace report {

namespace {

constexpr double kAlpha = 0.05;
constexpr double kPower = 0.8;
constexpr int kMaxPlannedRuns = 100;         // in a batch
constexpr int kMaxPlannedBatches = 1000000;  // a side

// The continued fraction of the regularised incomplete beta function
// (modified Lentz), for x below (a + 1) / (a + b + 2).
double beta_fraction(double a, double b, double x) {
  constexpr double kTiny = 1e-300;
  double c = 1, d = 1 - (a + b) * x / (a + 1);
  d = 1 / (std::fabs(d) < kTiny ? kTiny : d);
  double h = d;
  for (int m = 1; m <= 1000; ++m) {
    for (const double term : {m * (b - m) * x / ((a + 2 * m - 1) * (a + 2 * m)),
                              -(a + m) * (a + b + m) * x / ((a + 2 * m) * (a + 2 * m + 1))}) {
      d = 1 + term * d;
      d = 1 / (std::fabs(d) < kTiny ? kTiny : d);
      c = 1 + term / c;
      if (std::fabs(c) < kTiny) c = kTiny;
      h *= d * c;
    }
    if (std::fabs(d * c - 1) < 1e-16) break;
  }
  return h;
}

// I_x(a, b).
double regularised_beta(double a, double b, double x) {
  if (x <= 0) return 0;
  if (x >= 1) return 1;
  const double front =
      std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) + a * std::log(x) + b * std::log1p(-x));
  if (x < (a + 1) / (a + b + 2)) return front * beta_fraction(a, b, x) / a;
  return 1 - front * beta_fraction(b, a, 1 - x) / b;
}

// P(T <= t) for t >= 0.
double student_t_upper_half(double t, double degrees) {
  return 1 - 0.5 * regularised_beta(degrees / 2, 0.5, degrees / (degrees + t * t));
}

// The logarithms of each batch's median.
std::vector<double> log_medians(const Batches& batches) {
  std::vector<double> logs;
  logs.reserve(batches.size());
  for (const std::vector<double>& batch : batches) logs.push_back(std::log(median_of(batch)));
  return logs;
}

double mean(const std::vector<double>& values) {
  return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

// The sum of squared deviations from the mean.
double squares(const std::vector<double>& values) {
  const double centre = mean(values);
  double sum = 0;
  for (const double v : values) sum += (v - centre) * (v - centre);
  return sum;
}

// Welch's degrees of freedom for two means' variances a and b from m and n values.
double welch_degrees(double a, double b, double m, double n) {
  const double denominator = a * a / (m - 1) + b * b / (n - 1);
  return denominator > 0 ? (a + b) * (a + b) / denominator : m + n - 2;
}

// A side of a comparison: the logarithms of each batch's median, and of the
// bounds of what it stands for (the median itself for precise figures).
struct Side {
  std::vector<double> centre, low, high;
};

Side side_of(const Batches& batches, Timing timing) {
  Side side;
  side.centre = log_medians(batches);
  if (timing == Timing::kPrecise) {
    side.low = side.high = side.centre;
    return side;
  }
  double last = 0;  // no figure: figures are positive
  Interval bounds{};
  for (const std::vector<double>& batch : batches) {
    std::vector<double> lows, highs;
    for (const double f : batch) {
      if (f != last) bounds = whole_second_bounds(last = f);
      lows.push_back(bounds.low);
      highs.push_back(bounds.high);
    }
    side.low.push_back(std::log(median_of(lows)));
    side.high.push_back(std::log(median_of(highs)));
  }
  return side;
}

// The most the squared deviations from their mean can add to for values
// within their bounds: each end's from the bounds' common middle, the
// farther one (equal to squares() for precise figures).
double bounded_squares(const Side& side) {
  double middle = 0;
  for (std::size_t i = 0; i < side.low.size(); ++i) middle += side.low[i] / 2 + side.high[i] / 2;
  middle /= static_cast<double>(side.low.size());
  double sum = 0;
  for (std::size_t i = 0; i < side.low.size(); ++i) {
    sum += std::max((side.low[i] - middle) * (side.low[i] - middle), (side.high[i] - middle) * (side.high[i] - middle));
  }
  return side.low == side.high ? squares(side.centre) : sum;
}

// How far the bounds of whole-second figures can move the difference of
// the means: down, and up.
std::pair<double, double> rounding_share(const Side& x, const Side& y) {
  return {mean(x.centre) - mean(x.low) + mean(y.high) - mean(y.centre),
          mean(x.high) - mean(x.centre) + mean(y.centre) - mean(y.low)};
}

}  // namespace

double median_of_sorted(const std::vector<double>& figures) {
  const std::size_t n = figures.size();
  return n % 2 == 1 ? figures[n / 2] : figures[n / 2 - 1] / 2 + figures[n / 2] / 2;
}

double median_of(const std::vector<double>& values) {
  // One or two figures (a batch of a record file, mostly) need no copy.
  if (values.size() <= 2) return median_of_sorted(values);
  std::vector<double> sorted = values;
  std::sort(sorted.begin(), sorted.end());
  return median_of_sorted(sorted);
}

double log_median_deviation(const Batches& batches) {
  return std::sqrt(squares(log_medians(batches)) / static_cast<double>(batches.size() - 1));
}

Interval whole_second_bounds(double figure) {
  constexpr int kMostSeconds = 100000;  // past a day: the widest bounds
  constexpr double kLeastDigits = 4, kMostDigits = 64000, kFactor = 0.0006;
  int seconds = 2;
  for (int s = 2; s <= kMostSeconds; ++s) {
    const double digits = std::sqrt(figure * s / kFactor);
    if (digits > kMostDigits + 1) break;
    bool fits = false;
    for (const double d : {std::floor(digits), std::ceil(digits)}) {
      if (d < kLeastDigits || d > kMostDigits) continue;
      // As a run works it out, in single precision, written to 7 digits.
      const auto made = static_cast<float>(static_cast<long double>(0.0006F) * d * d / s);
      std::array<char, 32> text{};
      std::to_chars(text.data(), text.data() + text.size() - 1, static_cast<double>(made),
                    std::chars_format::scientific, 6);
      fits = fits || std::strtod(text.data(), nullptr) == figure;
    }
    if (fits) {
      seconds = s;
      break;
    }
  }
  const double s = seconds;
  return {figure * s / (s + 1), figure * s / (s - 1)};
}

std::optional<Interval> median_interval(const std::vector<double>& sorted, Timing timing) {
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
  const auto low = static_cast<std::size_t>(k - 1), high = static_cast<std::size_t>(n - k);
  if (timing == Timing::kPrecise) return Interval{sorted[low], sorted[high]};
  // The true figures' order statistics lie between those of their bounds.
  std::vector<double> lows, highs;
  Interval bounds{};
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    // Equal figures, the rule in a record file, are next to each other.
    if (i == 0 || sorted[i] != sorted[i - 1]) bounds = whole_second_bounds(sorted[i]);
    lows.push_back(bounds.low);
    highs.push_back(bounds.high);
  }
  std::sort(lows.begin(), lows.end());
  std::sort(highs.begin(), highs.end());
  return Interval{lows[low], highs[high]};
}

double student_t_quantile(double p, double degrees) {
  if (p < 0.5) return -student_t_quantile(1 - p, degrees);
  double low = 0, high = 1;
  while (student_t_upper_half(high, degrees) < p && high < 1e300) high *= 2;
  for (int i = 0; i < 200 && high - low > 1e-14 * high; ++i) {
    const double mid = low + (high - low) / 2;
    (student_t_upper_half(mid, degrees) < p ? low : high) = mid;
  }
  return low + (high - low) / 2;
}

double batch_centre(const Batches& batches) {
  double sum = 0;  // as mean(log_medians(batches)) adds them, with no vector for a million rows
  for (const std::vector<double>& batch : batches) sum += std::log(median_of(batch));
  return std::exp(sum / static_cast<double>(batches.size()));
}

std::optional<BatchRatio> batch_ratio(const Batches& row, const Batches& reference, Timing row_timing,
                                      Timing reference_timing) {
  if (row.size() < kMinBatchesForVerdict || reference.size() < kMinBatchesForVerdict) return std::nullopt;
  const Side x = side_of(row, row_timing), y = side_of(reference, reference_timing);
  const double m = static_cast<double>(row.size()), n = static_cast<double>(reference.size());
  const double a = bounded_squares(x) / (m - 1) / m, b = bounded_squares(y) / (n - 1) / n;
  const bool precise = row_timing == Timing::kPrecise && reference_timing == Timing::kPrecise;
  // Welch's degrees lie between the fewer batches' less one and m + n - 2.
  const double degrees = precise ? welch_degrees(a, b, m, n) : std::min(m, n) - 1;
  const double difference = mean(x.centre) - mean(y.centre);
  const auto [down, up] = rounding_share(x, y);
  const double half = student_t_quantile(1 - kAlpha / 2, degrees) * std::sqrt(a + b);
  return BatchRatio{
      std::exp(difference), {std::exp(difference - down - half), std::exp(difference + up + half)}, degrees};
}

bool without_variation(const Batches& batches) {
  const double first = median_of(batches.front());
  return std::all_of(batches.begin() + 1, batches.end(),
                     [&](const std::vector<double>& batch) { return median_of(batch) == first; });
}

std::optional<Plan> plan_to_resolve(double difference, const Batches& row, const Batches& reference, Timing row_timing,
                                    Timing reference_timing) {
  // The variance of the logarithms within a batch, pooled over both sides'
  // batches, and that of the batches' medians about each side's mean.
  double within = 0, within_degrees = 0, runs = 0;
  for (const Batches* side : {&row, &reference}) {
    for (const std::vector<double>& batch : *side) {
      std::vector<double> logs;
      logs.reserve(batch.size());
      for (const double f : batch) logs.push_back(std::log(f));
      within += squares(logs);
      within_degrees += static_cast<double>(logs.size()) - 1;
      runs += static_cast<double>(logs.size());
    }
  }
  const double batches = static_cast<double>(row.size() + reference.size());
  const double between_medians = (squares(log_medians(row)) + squares(log_medians(reference))) / (batches - 2);
  // A median of r runs varies as pi/2 times their mean does.
  const double run_level = within_degrees > 0 ? std::numbers::pi / 2 * within / within_degrees : 0;
  // Below the variance a batch's median has from its runs, these batches
  // cannot tell drift between batches from none: it is taken as that much.
  const double median_level = run_level / (runs / batches);
  const double batch_level = std::max(between_medians - median_level, median_level);
  // The cheapest runs a batch: sqrt(cost of a batch's warm-up / cost of a
  // run x run-level variance / batch-level variance).
  int per_batch = kMaxPlannedRuns;
  if (batch_level > 0) {
    per_batch = static_cast<int>(std::clamp(std::ceil(std::sqrt(run_level / batch_level)), 1.0, 1.0 * kMaxPlannedRuns));
  }
  const double variance = batch_level + run_level / per_batch;
  const auto [down, up] = rounding_share(side_of(row, row_timing), side_of(reference, reference_timing));
  const double target = std::log1p(difference) - std::max(down, up);
  if (target <= 0) return std::nullopt;
  const bool precise = row_timing == Timing::kPrecise && reference_timing == Timing::kPrecise;
  for (int b = kMinBatchesForVerdict; b < kMaxPlannedBatches; b += std::max(1, b / 16)) {
    const double degrees = precise ? 2.0 * b - 2 : b - 1;
    const double t = student_t_quantile(1 - kAlpha / 2, degrees) + student_t_quantile(kPower, degrees);
    if (t * t * 2 * variance / b <= target * target) return Plan{b, per_batch};
  }
  return Plan{kMaxPlannedBatches, per_batch};
}

}  // namespace report

#pragma once
// How sure a comparison is: a distribution-free 95 % interval of a median,
// and the ratio of two machines over their batches with its 95 % interval.
// No resampling: the same figures give the same bytes.
#include <cstdint>
#include <optional>
#include <vector>

namespace report {

constexpr int kMinRunsForMedianInterval = 6;
constexpr int kMinBatchesForVerdict = 2;  // a side

struct Interval {
  double low, high;
};

// How a row's figures were timed: a log's to the microsecond, a record
// file's in whole seconds.
enum class Timing : std::uint8_t { kPrecise, kWholeSeconds };

// The figures a run timed in whole seconds may stand for. Its figure is
// 0.0006 x d x d / s for whole seconds s >= 2 at d digits (4 to 64000), and
// the true duration lies within a second of s: the true figure lies between
// F s / (s + 1) and F s / (s - 1). s is the fewest seconds that give the
// figure to its 7 digits at some digit count, the widest bounds it may
// have; 2 when none does.
Interval whole_second_bounds(double figure);

// The 95 % interval of the median of sorted figures by order statistics
// (the binomial method); nullopt for fewer than 6 figures. Whole-second
// figures widen it to the bounds of what they stand for.
std::optional<Interval> median_interval(const std::vector<double>& sorted, Timing timing = Timing::kPrecise);

// A row's figures, batch by batch, each batch's in any order and never empty.
using Batches = std::vector<std::vector<double>>;

// The ratio of a machine to the reference, from the logarithms of each
// batch's median: the ratio of their means (geometric means of the
// medians), and Welch's t interval of the difference of the means. The
// batch, a stretch of time, is the unit of evidence: runs within one share
// the host's pace of the moment, so only batches show how that pace drifts
// (Kalibera and Jones, "Rigorous benchmarking in reasonable time", 2013).
struct BatchRatio {
  double ratio;
  Interval interval;  // as ratios
  double degrees;     // Welch-Satterthwaite degrees of freedom
};
// nullopt below 2 batches a side. A side timed in whole seconds makes it
// the widest interval that Welch's would be for any figures within their
// bounds (whole_second_bounds): the difference of the means moved by the
// bounds of the batches' medians, the spread of each side bounded by the
// farthest ends from its middle, at the fewest degrees Welch's can have.
std::optional<BatchRatio> batch_ratio(const Batches& row, const Batches& reference,
                                      Timing row_timing = Timing::kPrecise, Timing reference_timing = Timing::kPrecise);

// Whether the batches' medians are all equal: no drift between batches to
// measure, and so no interval or plan from them.
bool without_variation(const Batches& batches);

// Geometric mean of the batches' medians: what a row compares by.
double batch_centre(const Batches& batches);

// The median of sorted finite positive figures: the mean of the middle two
// for an even count, taken so that it never overflows.
double median_of_sorted(const std::vector<double>& figures);

// The median of finite figures, in any order, as median_of_sorted.
double median_of(const std::vector<double>& values);

// The standard deviation of the logarithms of the batches' medians (2
// batches or more): how far the pace drifts from batch to batch, as a
// fraction of it.
double log_median_deviation(const Batches& batches);

// What would resolve a difference of `difference` (0.01 for 1 %) between
// two machines as noisy as these at both levels: the batches a side and the
// runs in each that cost least (Kalibera and Jones's optimal repetition
// count, a warm-up run costing a batch one run more), with 5 % two-sided
// and 80 % power from the t distribution. Both sides need 2 batches. The
// variance between batches is never taken below that of a batch's median
// from its runs: fewer batches cannot tell a smaller one from none. The
// bounds of whole-second figures take their share of the difference;
// nullopt when they take all of it.
struct Plan {
  int batches, runs;  // a side, and in each batch
};
std::optional<Plan> plan_to_resolve(double difference, const Batches& row, const Batches& reference,
                                    Timing row_timing = Timing::kPrecise, Timing reference_timing = Timing::kPrecise);

// The p quantile of Student's t distribution with `degrees` (> 0, not
// necessarily whole) degrees of freedom, 0 < p < 1.
double student_t_quantile(double p, double degrees);

}  // namespace report

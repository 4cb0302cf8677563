#pragma once
// Changes in a machine's level: where the logarithms of its batch medians,
// in time order, step to another level and stay there.
//
// The noise is estimated robustly and allowing the host's pace to drift
// from batch to batch as an AR(1) process, from the spread of differences
// of neighbouring batches, which a step or one odd batch hardly moves
// (Romano, Rigaill, Runge and Fearnhead, "Detecting abrupt changes in the
// presence of local fluctuations and autocorrelated noise", JASA 2022).
// One odd batch is pulled in to a few deviations from its neighbours'
// running median. The changes are then found by binary segmentation of the
// CUSUM of the levels, standardised by the long-run deviation, with at
// least kMinSegment batches a side; the threshold of each series length and estimated drift
// is the one that a change is found in at most 1 % of series without one,
// found by simulation (bench/changes_calibration.cpp) and kept here as
// constants: the same series give the same changes.
#include <cstddef>
#include <vector>

#include "report/uncertainty.hpp"

namespace report {

constexpr std::size_t kMinSegment = 3;                      // batches on each side of a change
constexpr std::size_t kMinChangeBatches = 2 * kMinSegment;  // fewer: no change is looked for
constexpr std::size_t kMaxChangeBatches = 10000;            // more: the latest are searched

// The noise of a series of log batch medians: the deviation of one batch,
// the correlation of neighbours, and the long-run deviation by which the
// mean of many batches varies.
struct Noise {
  double sigma, phi, long_run;
};
Noise estimate_noise(const std::vector<double>& logs);

// The series with each value pulled in to within kOddDeviations * sigma of
// the running median of the five around it.
std::vector<double> damped(const std::vector<double>& logs, double sigma);

// The largest standardised CUSUM of values[lo, hi) over its splits with at
// least kMinSegment values a side, and the first index after that split; 0
// and lo when there is no such split or no noise.
struct Split {
  double statistic;
  std::size_t at;
};
Split largest_split(const std::vector<double>& prefix_sums, std::size_t lo, std::size_t hi, double long_run);

// The threshold of the standardised CUSUM for a series of n batches
// (kMinChangeBatches <= n <= kMaxChangeBatches) whose estimated correlation
// of neighbours is phi (0 to kMaxPhi): a series of steady batches has its
// long-run deviation estimated the more surely, and a lower threshold.
constexpr double kMaxPhi = 0.5;  // the most drift modelled; more is taken as this
double change_threshold(std::size_t n, double phi);

// One change: the index of the first batch after it, the ratio of the
// level after it to the level before it (geometric means of the batch
// medians of the two segments around it) and its 95 % interval.
struct Change {
  std::size_t after;
  double ratio;
  Interval interval;
};

struct ChangeSearch {
  bool searched = false;  // false below kMinChangeBatches or with no variation
  std::size_t from = 0;   // the first batch searched: all but the latest kMaxChangeBatches
  Noise noise = {0, 0, 0};
  std::vector<Change> changes;  // in time order
};

// The changes in a series of log batch medians in time order.
ChangeSearch find_changes(const std::vector<double>& logs);

// The largest standardised CUSUM of a whole series, as find_changes tests
// it first: a change is found in the series when it exceeds the threshold.
double series_statistic(const std::vector<double>& logs);

}  // namespace report

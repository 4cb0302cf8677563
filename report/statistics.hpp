#pragma once
// Per row: the median, the best and worst figures, the spread, the median
// relative to the reference row's, and how the copies scaled.
#include <cstdint>
#include <deque>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "report/history.hpp"
#include "report/runs.hpp"
#include "report/uncertainty.hpp"

namespace report {

constexpr int kFewRuns = 3;           // rows with fewer runs are marked
constexpr double kResolvable = 0.01;  // the difference the advice plans for

// kNoReference: the reference machine has no row at these copies;
// kNoReferenceAtDigits: it has, but none at these digits (neither is made
// now: such a group has a reference of its own); kAllDisturbed: the row has
// no figure left to compare; kNoVariation: a side's batch medians are all
// equal, so its drift cannot be measured; kTooCoarse: no difference found,
// and the bounds of whole-second figures leave no plan to resolve 1 %.
enum class Verdict : std::uint8_t {
  kReference,
  kFaster,
  kSlower,
  kNoDifference,
  kOneBatch,
  kNoReference,
  kNoReferenceAtDigits,
  kAllDisturbed,
  kNoVariation,
  kTooCoarse
};

// Laid out small: a report of a million machines holds a million of these.
struct MachineSummary {
  std::string machine;
  int digits;  // 0 when unknown
  int copies;  // run at once; the figures are their throughputs
  // The runs counted; 0 when every run was disturbed and left out, and
  // then median, best, worst and spread are 0 and mean nothing.
  int runs;
  int disturbed;              // runs found disturbed
  int left_out;               // of them, left out of the figures
  int reference_batches = 0;  // the batches of the row it was compared with
  int first_seen;             // the row's place in the files
  Verdict verdict = Verdict::kOneBatch;
  bool precise;  // every figure from a run log, else timed in whole seconds
  double median, best, worst, spread;
  double centre;  // the geometric mean of its batches' medians; 0 with no figures
  // To the reference machine's row at the same digits and copies, as the
  // ratio of their batches' geometric mean medians; nullopt when it has none.
  std::optional<double> relative;
  // With copies: the median over the copies times the same machine's median
  // at one copy and the same digits, 1 for perfect scaling; nullopt when
  // that row is missing.
  std::optional<double> scaling;
  std::vector<double> left_out_figures;       // their figures, in the order read
  Batches batches;                            // the figures batch by batch, in the order read
  std::optional<Interval> median_ci;          // from 6 figures
  std::unique_ptr<const BatchRatio> ratio;    // against the reference, from 2 batches a side
  std::unique_ptr<const Plan> plan;           // for no difference found: what would resolve 1 %
  std::shared_ptr<const MachineFacts> facts;  // of its last logged run
  // Its batches in time order and the changes in its level; none for a
  // row of one batch.
  std::unique_ptr<const History> history;
  // Seconds since 1970 in UTC, NaN when unknown (a million rows keep no
  // optional's flag): a row of one batch's start, and when the later of
  // the two current levels of its verdict began, where either side changed.
  double first_start = std::numeric_limits<double>::quiet_NaN();
  double since = std::numeric_limits<double>::quiet_NaN();
  // The batches of its current level (since its last change), as read.
  Batches current_level() const;
  int current_batches() const;
  // When its current level began: the start of the first batch after its
  // last change; nullopt without a change.
  std::optional<double> current_since() const;

  double batch_median(std::size_t b) const;  // worked out when asked: a row keeps no copy
};

struct Report {
  std::string reference;
  std::int64_t skipped_lines;
  std::map<std::string, int> left_out;  // disturbed runs left out, by the kind of reason
  int left_out_runs;
  // The fastest median first, equal ones as the files had them. A deque
  // grows as the rows it is made from are given back.
  std::deque<MachineSummary> machines;
  // The reference of each group of comparable rows (by digits and copies)
  // where the reference machine has no row: the group's fastest.
  std::map<std::pair<int, int>, std::string> group_references;
  std::int64_t long_lines = 0;      // of the skipped, those too long to read
  std::int64_t repeated_lines = 0;  // runs read before, dropped
};

// The positions (from 0) of the figures more than 3 median absolute
// deviations from their median: a batch's outliers.
std::vector<std::size_t> outliers(const std::vector<double>& figures);

// a / b for finite positive a and b, kept finite.
double finite_ratio(double a, double b);

// The summaries of `runs` (taken apart as it goes), each relative to the
// row of the machine named `reference` (the fastest row's when there is
// none) at as many copies and digits, the fastest of its rows there, or
// where it has none to the fastest row there, with its intervals and its
// verdict against that row. A row whose runs were all left out is kept,
// without figures, and is never a reference. nullopt when no row with
// figures is that machine.
std::optional<Report> summarise(Runs runs, const std::optional<std::string>& reference);

// The machine a row is compared with: its group's reference; nullptr for a
// row without figures.
const std::string* reference_of(const Report& report, const MachineSummary& row);

}  // namespace report

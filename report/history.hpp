#pragma once
// A row followed through time: its batches in the order they started, the
// changes in its level found over their medians, and what else changed
// with each (the machine's facts as its runs logged them).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "report/changes.hpp"
#include "report/runs.hpp"

namespace report {

// One batch of a row: when its first run started (nullopt when no line of
// it tells), its runs, its median and the facts of its last logged run.
struct HistoryBatch {
  std::optional<double> start;  // seconds since 1970 in UTC
  int runs;
  double median;
  std::shared_ptr<const MachineFacts> facts;
  std::size_t read;  // its place among the row's batches as read
};

// One fact that differs across a change: its name and its two values.
struct FactChange {
  const char* name;
  std::string before, after;
};

struct RowChange {
  std::size_t after;              // the first batch after it, counted from 0 in History::batches
  double ratio;                   // the level after it to the level before it
  Interval interval;              // 95 %
  std::vector<FactChange> facts;  // between the last batch before and the first after; empty when none differ
};

struct History {
  std::vector<HistoryBatch> batches;  // in time order; one without a start after the one read before it
  bool searched = false;              // false below kMinChangeBatches batches
  std::vector<RowChange> changes;     // in time order
  // The first batch of the current level: after the last change, else 0.
  std::size_t current() const { return changes.empty() ? 0 : changes.back().after; }
};

// The batches of a row as read, put in time order, and searched.
History make_history(std::vector<HistoryBatch> batches);

// The facts that differ between two sets of facts, in a fixed order.
std::vector<FactChange> facts_that_differ(const MachineFacts* before, const MachineFacts* after);

// "2026-12-09 14:02" in UTC.
std::string minute_text(double seconds);
// "2026-12-09T14:02:05Z".
std::string iso_text(double seconds);

// "slower by 10.2 % (8.1 to 12.0 %)" or "faster by ...".
std::string change_words(const RowChange& change);
// "build GNU 12.2.0, x86_64 Linux, Debug -> ..., ...; ..." or "no fact changed".
std::string facts_words(const RowChange& change);
// When it happened: "between 2026-12-09 13:40 and 14:02" as far as the
// two batches tell.
std::string when_words(const History& history, const RowChange& change);

}  // namespace report

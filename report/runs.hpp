#pragma once
// The figures of every machine, as the report gathers them from files.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace report {

// What a run log tells of the machine and the build that ran a run.
struct MachineFacts {
  std::string cpu, logical_cpus, os, kernel, governor, build, version;
};

// One measurement: a record line's figure, or a logged run's precise one.
struct Run {
  std::string machine;
  int digits = 0;        // known for logged runs only; 0 when not
  double figure = 0;     // finite and positive
  bool precise = false;  // from a run log, timed to the microsecond
  // What disturbed a logged run, each reason's kind ("cpu share",
  // "uneven"); empty for a clean run or one that could not tell.
  std::vector<std::string> disturbances = {};
  std::optional<MachineFacts> facts = std::nullopt;  // a logged run's
  int copies = 1;                                    // run at once; the figure is their throughput
  // The batch a logged run names; empty for a record line or an older
  // log's line, which are put in batches by where and when they ran.
  std::string batch = {};
  std::int64_t place = 0;            // a logged run's place in its named batch, from 1; 0 when unknown
  int source = 0;                    // the file, counted from 0
  std::optional<double> start = {};  // seconds since 1970 in UTC, when a log line tells
  bool local_start = false;          // `start` had no offset: the writer's clock, as if UTC
  double elapsed = 0;                // its interval, seconds
};

// A row of the report: one machine (as runtime::displayable shows its
// name, so that a name reads the same from every file) at one digit count
// and one number of copies.
struct RowKey {
  std::string machine;
  int digits = 0;
  int copies = 1;
  auto operator<=>(const RowKey&) const = default;
};
struct RowKeyHash {
  std::size_t operator()(const RowKey& key) const noexcept {
    const auto mixed = static_cast<std::size_t>(key.digits) * 1031 + static_cast<std::size_t>(key.copies);
    return std::hash<std::string>()(key.machine) ^ mixed * 0x9E3779B97F4A7C15u;
  }
};

// The figures of one batch of a row, in the order read.
struct Batch {
  std::uint32_t name;   // a log's batch, counted from 1 in Runs; 0 when the batch was inferred
  std::uint32_t facts;  // of its last logged run, counted from 1 in Runs::facts(); 0 for none
  std::int64_t group;   // a record file's number, or an inferred batch's (negative)
  std::vector<double> figures;
  double start;  // when its first run started, seconds since 1970 in UTC; NaN when no line tells
};

// The figures of one row, batch by batch.
struct Figures {
  std::vector<Batch> batches;
  int disturbed = 0;                          // runs found disturbed, whether their figures count or not
  std::vector<double> left_out;               // the figures of the disturbed runs left out, in the order read
  std::shared_ptr<const MachineFacts> facts;  // of the row's last logged run; none for record lines
  bool precise = true;                        // every figure from a run log
};

// A row: its key and its figures.
struct Row {
  RowKey key;
  Figures figures;
};

// What the files held: the figures of each row, and the lines that were
// not runs. Memory grows with the rows and their figures only.
//
// A run's batch: the one its log line names; for record lines, each file's
// lines of a machine; for log lines without one (written before batches
// were logged), the runs of a row in one file that each started less than
// a minute after the previous one ended, a start without an offset
// measured only against another such; the lines of a row in one file with
// no start that can be read are one batch.
//
// A logged run is its batch and place: read again (a second copy of its
// log), it is counted once. Record lines have no such identity.
class Runs {
 public:
  // Disturbed runs are counted; their figures count only with `all_runs`.
  explicit Runs(bool all_runs = false) : all_runs_(all_runs) {}
  // A copy or a move builds a new Runs; an assignment would keep the
  // index's memory of the one assigned to while taking the other's.
  Runs(const Runs&) = default;
  Runs(Runs&&) = default;
  Runs& operator=(const Runs&) = delete;
  Runs& operator=(Runs&&) = delete;
  void add(const Run& run);
  bool all_runs() const { return all_runs_; }
  std::int64_t skipped_lines = 0;
  std::int64_t long_lines = 0;      // of the skipped, those too long to read
  std::int64_t repeated_lines = 0;  // runs read before, dropped
  bool log_lines = false;           // any line was a run log's
  // The disturbed runs left out, by the kind of each reason.
  std::map<std::string, int> left_out;
  int left_out_runs = 0;

  // In the order the files first had them: a row's place is its order
  // among equal medians.
  using Rows = std::deque<Row>;
  static constexpr double kBatchGap = 60;  // seconds between an older log's batches
  const Rows& rows() const { return rows_; }
  // The distinct facts the logs held, each kept once.
  const std::vector<std::shared_ptr<const MachineFacts>>& facts() const { return facts_; }
  // The rows, handed over: the summary takes them apart one by one.
  Rows take_rows() &&;

 private:
  // Where the batch of a line of an older log ends: the row's last such
  // line, its file, when it ended (on which clock) and its batch's group.
  struct Unnamed {
    int source;
    double end;
    bool local;
    std::int64_t group;
  };
  std::int64_t inferred_group(std::size_t row, const Run& run);
  // A row's batch by its group and name: the last one tried first, then,
  // in a row of many, an index.
  Batch& batch_of(std::size_t row, std::int64_t group, std::uint32_t name);
  struct BatchKey {
    std::size_t row;
    std::int64_t group;
    std::uint32_t name;
    bool operator==(const BatchKey&) const = default;
  };
  struct BatchKeyHash {
    std::size_t operator()(const BatchKey& k) const noexcept {
      return (k.row * 0x9E3779B97F4A7C15u) ^ (static_cast<std::size_t>(k.group) * 1000003u) ^ k.name;
    }
  };
  static constexpr std::size_t kIndexedFrom = 8;  // batches from which a row's are indexed
  // A logged run's identity: its row, its batch and its place.
  struct Place {
    std::size_t row;
    std::uint32_t name;
    std::int64_t place;
    bool operator==(const Place&) const = default;
  };
  struct PlaceHash {
    std::size_t operator()(const Place& p) const noexcept {
      return (p.row * 0x9E3779B97F4A7C15u) ^ (static_cast<std::size_t>(p.place) * 1000003u) ^ p.name;
    }
  };
  // A row's place in rows_, found by its key without a second copy of it:
  // an entry keeps the key's hash, and a lookup brings the key and rows_.
  struct Entry {
    std::size_t hash;
    std::size_t row;
  };
  // A key is compared with a row's only when their hashes are equal.
  struct Probe {
    const RowKey& key;
    std::size_t hash;
    const Rows& rows;
    bool operator==(const Entry& e) const noexcept { return hash == e.hash && rows[e.row].key == key; }
  };
  struct EntryHash {
    using is_transparent = void;
    std::size_t operator()(const Entry& entry) const noexcept { return entry.hash; }
    std::size_t operator()(const Probe& probe) const noexcept { return probe.hash; }
  };
  struct EntryEqual {
    using is_transparent = void;
    bool operator()(const Entry& a, const Entry& b) const noexcept { return a.row == b.row; }
    bool operator()(const Probe& p, const Entry& e) const noexcept { return p == e; }
    bool operator()(const Entry& e, const Probe& p) const noexcept { return p == e; }
  };
  std::int64_t inferred_ = 0;
  std::unordered_map<std::size_t, Unnamed> unnamed_;  // by row, lines with a start
  std::unordered_map<std::size_t, Unnamed> undated_;  // by row, lines without one
  std::unordered_map<BatchKey, std::size_t, BatchKeyHash> batch_index_;
  std::unordered_set<Place, PlaceHash> places_;
  // An older log's run, which names no batch, by its start, interval and figure.
  struct Stamp {
    std::size_t row;
    double start, elapsed, figure;
    bool local;
    bool operator==(const Stamp&) const = default;
  };
  struct StampHash {
    std::size_t operator()(const Stamp& s) const noexcept {
      return (s.row * 0x9E3779B97F4A7C15u) ^ std::hash<double>()(s.start) ^
             (std::hash<double>()(s.elapsed) * 1000003u) ^ std::hash<double>()(s.figure);
    }
  };
  std::unordered_set<Stamp, StampHash> stamps_;
  std::unordered_map<std::string, std::uint32_t> batch_names_;  // a log's batches, each a number
  std::vector<std::shared_ptr<const MachineFacts>> facts_;
  std::unordered_map<std::string, std::uint32_t> facts_index_;  // the facts joined, to their number
  bool all_runs_;
  Rows rows_;
  // The index's nodes in blocks of their own, given back whole with the
  // index: a million rows leave no holes among the rows' own memory. (A
  // copy's index takes the heap's.)
  std::shared_ptr<std::pmr::monotonic_buffer_resource> index_memory_ =
      std::make_shared<std::pmr::monotonic_buffer_resource>();
  std::pmr::unordered_set<Entry, EntryHash, EntryEqual> index_{index_memory_.get()};
};

}  // namespace report

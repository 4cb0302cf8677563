// The rows the reader gathers, and the summaries' order: a row found again
// by its key, batches told apart by their names, equal medians in the
// order first seen however many rows there are.
#include "report/runs.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "report/statistics.hpp"
#include "report/uncertainty.hpp"

namespace {

report::Run logged(const std::string& machine, double figure, const std::string& batch, int digits = 1000) {
  report::Run run{machine, digits, figure, true, {}};
  run.batch = batch;
  return run;
}

TEST(Runs, RowsAndBatchesByKeyAndName) {
  report::Runs runs;
  // Interleaved as the lines of two machines' logs appended to one file.
  runs.add(logged("a", 10, "b1"));
  runs.add(logged("b", 20, "b1"));  // the same batch name on another machine: its own row
  runs.add(logged("a", 11, "b2"));
  runs.add(logged("a", 12, "b1"));  // back to a's first batch
  runs.add(logged("a", 13, "b1", 2000));
  report::Run copies = logged("a", 14, "b1");
  copies.copies = 2;
  runs.add(copies);
  runs.add(report::Run{"a", 0, 15, false, {}});  // a record line
  runs.add(report::Run{"a", 0, 16, false, {}});
  const report::Runs::Rows& rows = runs.rows();
  ASSERT_EQ(rows.size(), 5u);
  const auto figures_of = [&](std::size_t row) {
    std::vector<std::vector<double>> batches;
    for (const report::Batch& b : rows[row].figures.batches) batches.push_back(b.figures);
    return batches;
  };
  using Batches = std::vector<std::vector<double>>;
  EXPECT_EQ(rows[0].key.machine, "a");
  EXPECT_EQ(figures_of(0), (Batches{{10, 12}, {11}}));
  EXPECT_EQ(figures_of(1), (Batches{{20}}));
  EXPECT_EQ(rows[2].key.digits, 2000);
  EXPECT_EQ(rows[3].key.copies, 2);
  EXPECT_EQ(figures_of(4), (Batches{{15, 16}}));
  // A copy finds its rows by their keys as the original does.
  report::Runs copy = runs;
  copy.add(logged("b", 21, "b1"));
  EXPECT_EQ(copy.rows().size(), 5u);
  EXPECT_EQ(copy.rows()[1].figures.batches.front().figures, (std::vector<double>{20, 21}));
  EXPECT_EQ(runs.rows()[1].figures.batches.front().figures, (std::vector<double>{20}));
}

// Many rows with few distinct medians: the fastest first, equal medians in
// the order the files had them, each row whole with its own figures.
TEST(Runs, SummariesFastestFirstAndEqualOnesAsRead) {
  std::mt19937 rng(5);
  report::Runs runs;
  std::vector<std::pair<double, std::string>> expected;
  for (int i = 0; i < 3000; ++i) {
    const double figure = 100.0 * static_cast<double>(1 + rng() % 7);
    const std::string name = "m" + std::to_string(i);
    runs.add(report::Run{name, 0, figure, false, {}});
    expected.emplace_back(figure, name);
  }
  std::stable_sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  const report::Report r = report::summarise(runs, std::nullopt).value();
  ASSERT_EQ(r.machines.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(r.machines[i].machine, expected[i].second) << i;
    ASSERT_EQ(r.machines[i].median, expected[i].first) << i;
    ASSERT_EQ(r.machines[i].batches, (report::Batches{{expected[i].first}})) << i;
  }
}

// A logged run read again (a second copy of its log) counts once, by its
// row, batch and place, disturbed or not; record lines have no identity.
TEST(Runs, ARunReadTwiceCountsOnce) {
  report::Runs runs;
  for (int copy = 0; copy < 2; ++copy) {
    for (int place = 1; place <= 4; ++place) {
      report::Run run = logged("a", 10 + place, "b1");
      run.place = place;
      run.source = copy;
      if (place == 4) run.disturbances = {"cpu share"};
      runs.add(run);
    }
    report::Run record{"r", 0, 5, false, {}};
    record.source = copy;
    runs.add(record);
  }
  report::Run other = logged("b", 1, "b1");  // another machine's batch of that name
  other.place = 1;
  runs.add(other);
  EXPECT_EQ(runs.repeated_lines, 4);
  EXPECT_EQ(runs.left_out_runs, 1);
  ASSERT_EQ(runs.rows().size(), 3u);
  EXPECT_EQ(runs.rows()[0].figures.batches.front().figures, (std::vector<double>{11, 12, 13}));
  EXPECT_EQ(runs.rows()[1].figures.batches.size(), 2u);
  EXPECT_EQ(runs.rows()[2].figures.batches.front().figures, (std::vector<double>{1}));
}

// An older log's run read twice (the log and a copy, or `cat log log`)
// counts once, by its start, interval and figure; a line without a start
// has no identity.
TEST(Runs, AnOlderLogsRunReadTwiceCountsOnce) {
  struct Line {
    std::optional<double> start;
    double elapsed, figure;
    bool local;
  };
  const std::optional<double> none;
  const Line lines[] = {{0, 5, 1, false}, {10, 5, 1, false}, {0, 5.000001, 1, false},
                        {0, 5, 1, true},  {0, 5, 2, false},  {none, 5, 1, false}};
  report::Runs runs;
  for (int copy = 0; copy < 2; ++copy) {
    for (const Line& line : lines) {
      report::Run run = logged("a", line.figure, "");
      run.start = line.start;
      run.elapsed = line.elapsed;
      run.local_start = line.local;
      run.source = copy;
      runs.add(run);
    }
  }
  EXPECT_EQ(runs.repeated_lines, 5);
  std::size_t counted = 0;
  for (const report::Batch& batch : runs.rows()[0].figures.batches) counted += batch.figures.size();
  EXPECT_EQ(counted, 7u);
}

// An older log's batches: runs less than a minute apart in one file, a start
// without an offset measured only against another such; the lines of a row
// in one file with no start, one batch.
TEST(Runs, AnOlderLogsBatches) {
  struct Line {
    std::optional<double> start;
    bool local;
    int source;
  };
  struct Case {
    const char* what;
    std::vector<Line> lines;
    std::vector<std::size_t> sizes;
  };
  const std::optional<double> none;
  const Case cases[] = {
      {"no start", {{none, false, 0}, {none, false, 0}, {none, false, 0}}, {3}},
      {"no start, two files", {{none, false, 0}, {none, false, 0}, {none, false, 1}}, {2, 1}},
      {"no offset", {{0, true, 0}, {10, true, 0}, {200, true, 0}}, {2, 1}},
      {"an offset, then none", {{0, false, 0}, {10, true, 0}}, {1, 1}},
      {"starts among none", {{0, false, 0}, {none, false, 0}, {10, false, 0}, {none, false, 0}}, {2, 2}},
  };
  for (const Case& c : cases) {
    report::Runs runs;
    for (const Line& line : c.lines) {
      report::Run run = logged("a", 1, "");
      run.start = line.start;
      run.local_start = line.local;
      run.source = line.source;
      run.elapsed = 5;
      runs.add(run);
    }
    std::vector<std::size_t> sizes;
    for (const report::Batch& b : runs.rows().front().figures.batches) sizes.push_back(b.figures.size());
    EXPECT_EQ(sizes, c.sizes) << c.what;
  }
}

// A row's batch is found in time that does not grow with its batches:
// 32000 batches in one row take about as long as in 3200 rows of 10, not
// the hundred times a search through them takes.
TEST(Runs, TimeLinearInARowsBatches) {
  const auto seconds = [](int rows) {
    constexpr int kBatches = 32000;
    std::vector<report::Run> lines;
    lines.reserve(kBatches + 1);
    for (int b = 0; b < kBatches; ++b) lines.push_back(logged("m" + std::to_string(b % rows), 1, std::to_string(b)));
    lines.push_back(lines.front());  // the first batch, found again
    double best = 1e9;
    for (int repeat = 0; repeat < 3; ++repeat) {
      report::Runs runs;
      // Processor time, which other processes on the machine do not add to.
      const std::clock_t start = std::clock();
      for (const report::Run& line : lines) runs.add(line);
      best = std::min(best, static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
      EXPECT_EQ(runs.rows().front().figures.batches.front().figures.size(), 2u);
    }
    return best;
  };
  EXPECT_LT(seconds(1) / seconds(3200), 8);
}

TEST(Runs, MedianOfFiguresInAnyOrder) {
  struct Case {
    std::vector<double> figures;
    double median;
  };
  const Case cases[] = {
      {{7}, 7}, {{9, 3}, 6}, {{3, 9}, 6}, {{5, 1, 3}, 3}, {{4, 1, 3, 2}, 2.5}, {{1e308, 1.7e308}, 1.35e308},
  };
  for (const Case& c : cases) EXPECT_EQ(report::median_of(c.figures), c.median) << c.figures.size();
}

}  // namespace

// The rows the reader gathers, and the summaries' order: a row found again
// by its key, batches told apart by their names, equal medians in the
// order first seen however many rows there are.
#include "report/runs.hpp"

#include <gtest/gtest.h>

#include <algorithm>
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

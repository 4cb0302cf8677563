#include "report/changes.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "bench/report/changes_simulation.hpp"
#include "report/formats.hpp"
#include "report/history.hpp"
#include "report/statistics.hpp"

namespace report {
namespace {

std::vector<double> logs_of(const std::vector<double>& medians) {
  std::vector<double> logs;
  for (const double m : medians) logs.push_back(std::log(m));
  return logs;
}

// The same series searched by tests/report/changes_reference.py, with NumPy
// and SciPy: its noise, its whole series' statistic and its changes.
struct Fixture {
  std::string name;
  std::vector<double> medians;
  double sigma, phi, long_run, statistic;
  struct Expected {
    std::size_t after;
    double ratio, low, high;
  };
  std::vector<Expected> changes;
};
const std::vector<Fixture> kFixtures = {
#include "tests/report/changes_fixtures.inc"
};

TEST(Changes, AsTheReferenceComputesThem) {
  for (const Fixture& f : kFixtures) {
    SCOPED_TRACE(f.name);
    const std::vector<double> logs = logs_of(f.medians);
    const Noise noise = estimate_noise(logs);
    EXPECT_NEAR(noise.sigma, f.sigma, 1e-6 * f.sigma);
    EXPECT_NEAR(noise.phi, f.phi, 1e-6);
    EXPECT_NEAR(noise.long_run, f.long_run, 1e-6 * f.long_run);
    EXPECT_NEAR(series_statistic(logs), f.statistic, 1e-6 * f.statistic);
    const ChangeSearch search = find_changes(logs);
    ASSERT_EQ(search.changes.size(), f.changes.size());
    for (std::size_t c = 0; c < f.changes.size(); ++c) {
      EXPECT_EQ(search.changes[c].after, f.changes[c].after);
      EXPECT_NEAR(search.changes[c].ratio, f.changes[c].ratio, 1e-7);
      EXPECT_NEAR(search.changes[c].interval.low, f.changes[c].low, 1e-7);
      EXPECT_NEAR(search.changes[c].interval.high, f.changes[c].high, 1e-7);
    }
  }
}

TEST(Changes, NoneLookedForInShortOrConstantSeries) {
  for (const std::vector<double>& medians :
       std::vector<std::vector<double>>{{100, 200, 300}, {100, 100, 100, 50, 50}, {7, 7, 7, 7, 7, 7, 7, 7}}) {
    const ChangeSearch search = find_changes(logs_of(medians));
    EXPECT_FALSE(search.searched);
    EXPECT_TRUE(search.changes.empty());
  }
}

TEST(Changes, ThresholdsCoverEveryLength) {
  double previous = change_threshold(kMinChangeBatches, 0);
  for (std::size_t n = kMinChangeBatches; n <= kMaxChangeBatches; n += n / 7 + 1) {
    const double t = change_threshold(n, 0), drifting = change_threshold(n, kMaxPhi);
    EXPECT_LE(t, drifting) << n;
    EXPECT_GT(t, 3) << n;
    EXPECT_LT(t, n < 12 ? 20 : 7) << n;
    EXPECT_LE(t, previous + 0.5) << n;  // short series' noise is least certain
    previous = t;
  }
}

// A longer series is searched over its latest batches, and a change
// placed in the whole series.
TEST(Changes, LongSeriesSearchedOverTheirLatestBatches) {
  simulation::Normal normal(3);
  const std::size_t n = kMaxChangeBatches + 500;
  const ChangeSearch search =
      find_changes(simulation::series(normal, n, simulation::Scenario{0, 0.01, false, 0.9, n - 100}));
  EXPECT_EQ(search.from, 500U);
  ASSERT_EQ(search.changes.size(), 1U);
  EXPECT_EQ(search.changes[0].after, n - 100);
}

// The fast version of the proof: series of 200 batches without a change
// (AR(1) at phi 0 and 0.5, with and without one batch 10 % low) show one in
// at most 1 %; one step of 3 % at a deviation of 1 % with 10 batches
// before it is found within one batch of it in at least 90 %.
TEST(Changes, FalseAlarmsAndPower) {
  simulation::Normal normal(2026);
  constexpr int kSeries = 300;
  for (const double phi : {0.0, 0.5}) {
    for (const bool odd : {false, true}) {
      int alarms = 0;
      for (int i = 0; i < kSeries; ++i) {
        const simulation::Scenario s{phi, simulation::kIdleDeviation, odd};
        alarms += find_changes(simulation::series(normal, 200, s)).changes.empty() ? 0 : 1;
      }
      EXPECT_LE(alarms, kSeries / 100) << "phi " << phi << (odd ? ", one odd batch" : "");
    }
  }
  int placed = 0;
  for (int i = 0; i < kSeries; ++i) {
    const ChangeSearch search =
        find_changes(simulation::series(normal, 200, simulation::Scenario{0, 0.01, false, 0.97, 10}));
    placed += search.changes.size() == 1 && search.changes[0].after >= 9 && search.changes[0].after <= 11 ? 1 : 0;
  }
  EXPECT_GE(placed, kSeries * 9 / 10);
}

}  // namespace
}  // namespace report

namespace {

// A reference that slowed by 10 % half way, read out of time order, and
// a machine as fast as its current level: the verdict compares the
// current levels and says since when; the change names what changed and
// lies between the right batches; every format says it.
TEST(History, TheVerdictComparesCurrentLevels) {
  report::Runs runs;
  report::simulation::Normal normal(11);
  const double t0 = 1796950000;    // 2026-12-11 00:46:40 UTC
  for (int b = 11; b >= 0; --b) {  // newest first
    for (const auto& [machine, level] : {std::pair<std::string, double>{"ref", b < 6 ? 100000 : 90000},
                                         std::pair<std::string, double>{"other", 90000}}) {
      for (int r = 0; r < 3; ++r) {
        report::Run run{machine, 1000, level * (1 + 0.002 * normal()), true, {}};
        run.batch = machine + std::to_string(b);
        run.start = t0 + 3600.0 * b + r;
        run.facts = report::MachineFacts{"cpu", "2", "os", "k", "", b < 6 ? "old build" : "new build", "1.1.0"};
        runs.add(run);
      }
    }
  }
  const std::optional<report::Report> r = report::summarise(std::move(runs), std::string("ref"));
  ASSERT_TRUE(r);
  const report::MachineSummary& other = r->machines[0].machine == "other" ? r->machines[0] : r->machines[1];
  const report::MachineSummary& ref = &other == &r->machines[0] ? r->machines[1] : r->machines[0];
  ASSERT_TRUE(ref.history);
  ASSERT_EQ(ref.history->changes.size(), 1U);
  const report::RowChange& change = ref.history->changes[0];
  EXPECT_EQ(change.after, 6U);
  EXPECT_NEAR(change.ratio, 0.9, 0.01);
  ASSERT_EQ(change.facts.size(), 1U);
  EXPECT_STREQ(change.facts[0].name, "build");
  EXPECT_EQ(other.verdict, report::Verdict::kNoDifference);
  const std::string text = report::render(*r, report::Format::kWideText);
  EXPECT_NE(text.find("12 vs 6 batches since " + report::minute_text(t0 + 6 * 3600)), std::string::npos) << text;
  EXPECT_NE(text.find("ref, after batch 6 of 12, between "), std::string::npos) << text;
  EXPECT_NE(text.find("slower by 10."), std::string::npos) << text;
  EXPECT_NE(text.find("build old build -> new build"), std::string::npos) << text;
  const nlohmann::json json = nlohmann::json::parse(report::render(*r, report::Format::kJson));
  for (const nlohmann::json& row : json["machines"]) {
    if (row["machine"] != "ref") continue;
    EXPECT_EQ(row["history"].size(), 12U);
    EXPECT_EQ(row["history"][0]["start"], report::iso_text(t0));
    EXPECT_EQ(row["changes"][0]["after_batch"], 6);
    EXPECT_EQ(row["changes"][0]["start"], report::iso_text(t0 + 6 * 3600));
    EXPECT_EQ(row["changes"][0]["facts"]["build"], nlohmann::json::array({"old build", "new build"}));
  }
  EXPECT_NE(report::render(*r, report::Format::kCsv).find(",changes,newest_change\n"), std::string::npos);
  EXPECT_NE(report::render(*r, report::Format::kMarkdown).find("| ref | 1 of 1 | after batch 6 of 12"),
            std::string::npos);
}

TEST(History, TimesAsTheFormatsWriteThem) {
  EXPECT_EQ(report::minute_text(0), "1970-01-01 00:00");
  EXPECT_EQ(report::minute_text(-60), "1969-12-31 23:59");
  EXPECT_EQ(report::iso_text(1796955199.7), "2026-12-11T02:13:19Z");
}

// A row longer than the search says that only its latest batches were
// searched, rather than leaving its older changes out in silence.
TEST(History, ALongRowSaysWhatWasSearched) {
  for (const std::size_t n : {report::kMaxChangeBatches, report::kMaxChangeBatches + 1}) {
    report::Runs runs;
    report::simulation::Normal normal(5);
    for (std::size_t b = 0; b < n; ++b) {
      report::Run run{"m", 1000, 1000 * (1 + 0.01 * normal()), true, {}};
      run.batch = std::to_string(b);
      runs.add(run);
    }
    const std::string text = report::render(*report::summarise(std::move(runs), std::nullopt), report::Format::kText);
    EXPECT_EQ(text.find("Changes are looked for in a row's latest 10000 batches.\n") != std::string::npos,
              n > report::kMaxChangeBatches)
        << n;
  }
}

// A log read newest first in which one batch does not tell when it
// started: the rest are still put in time order, so that a machine that
// slowed is not said to have sped up.
TEST(History, ABatchWithoutAStartLeavesTheRestInTimeOrder) {
  report::simulation::Normal normal(7);
  std::vector<report::HistoryBatch> read;
  for (int b = 11; b >= 0; --b) {
    const double median = (b < 6 ? 1000 : 800) * (1 + 0.01 * normal());
    read.push_back(report::HistoryBatch{b == 11 ? std::nullopt : std::optional<double>(3600.0 * b), 3, median, nullptr,
                                        read.size()});
  }
  const report::History h = report::make_history(std::move(read));
  ASSERT_EQ(h.changes.size(), 1U);
  EXPECT_EQ(h.changes[0].after, 6U);
  EXPECT_NEAR(h.changes[0].ratio, 0.8, 0.03);
  EXPECT_EQ(h.batches[0].start, 0.0);
  EXPECT_EQ(h.batches[11].start, 3600.0 * 10);
}

// A row long enough whose batches all measured the same is not called too
// short: the text, the page and CSV's columns say it has nothing to find.
TEST(History, ARowWithoutVariationIsNotCalledShort) {
  report::Runs runs;
  for (int b = 0; b < 6; ++b) {
    report::Run run{"m", 1000, 1000, true, {}};
    run.batch = std::to_string(b);
    runs.add(run);
  }
  const report::Report r = *report::summarise(std::move(runs), std::nullopt);
  const std::string text = report::render(r, report::Format::kText);
  EXPECT_NE(text.find("A row whose batch medians are all equal has no change to find.\n"), std::string::npos);
  EXPECT_EQ(text.find("Changes are looked for in rows of"), std::string::npos) << text;
  EXPECT_NE(report::render(r, report::Format::kHtml).find("no change to find."), std::string::npos);
  EXPECT_NE(report::render(r, report::Format::kCsv).find(",changes,newest_change\n"), std::string::npos);
}

}  // namespace

// What tells a disturbed run of several copies: their processor time over
// their own times, and how unequal those times were; and each reason's kind
// as the log writes it and the report reads it.
#include "driver/disturbance.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "driver/measurement.hpp"
#include "driver/run_log.hpp"
#include "report/read.hpp"

namespace {

driver::RunFacts copies_run(std::vector<double> copy_elapsed, double cpu_seconds) {
  driver::RunFacts facts;
  facts.copies = static_cast<int>(copy_elapsed.size());
  facts.interval.start = {0, 100.0};
  facts.interval.end = {0, 100.0 + *std::max_element(copy_elapsed.begin(), copy_elapsed.end())};
  facts.copy_elapsed = std::move(copy_elapsed);
  facts.before.cpu_seconds = 5.0;
  facts.after.cpu_seconds = 5.0 + cpu_seconds;
  return facts;
}

TEST(Disturbance, CopiesJudgedOverTheirOwnTimes) {
  struct Case {
    std::vector<double> copy_elapsed;
    double cpu_seconds;
    std::vector<std::string> reasons;
  };
  const Case cases[] = {
      // A copy that ends first does not count as idle.
      {{8.0, 8.6}, 16.6, {}},
      {{8.0, 9.0}, 17.0, {"copies unequal: slowest took 1.12 times the fastest"}},
      {{6.0, 9.0}, 12.0, {"cpu share 0.80", "copies unequal: slowest took 1.50 times the fastest"}},
  };
  for (const Case& c : cases) {
    const driver::RunHealth health = driver::assess(copies_run(c.copy_elapsed, c.cpu_seconds));
    ASSERT_TRUE(health.disturbed);
    std::vector<std::string> words;
    for (const driver::Disturbance& reason : *health.disturbed) words.push_back(reason.words);
    EXPECT_EQ(words, c.reasons) << c.cpu_seconds;
  }
}

// Each kind of reason is logged with its key beside its words, and the
// report counts it by the same name whether it reads the key or, in a log
// written before the keys, the words.
TEST(Disturbance, EachKindLoggedByItsKeyAndReadBackByItsName) {
  struct Case {
    void (*disturb)(driver::RunFacts&);
    const char* kind;
    std::string name;
  };
  const Case cases[] = {
      {[](driver::RunFacts& f) { f.after.cpu_seconds = 5.0 + 4.0; }, "cpu_share", "cpu share"},
      {[](driver::RunFacts& f) { f.before.frequency_mhz = 3000, f.after.frequency_mhz = 2000; }, "frequency",
       "frequency"},
      {[](driver::RunFacts& f) { f.before.steal_seconds = 0, f.after.steal_seconds = 1; }, "steal", "steal"},
      {[](driver::RunFacts& f) {
         f.marks[0] = {100, 0}, f.marks[1] = {101, 100}, f.marks[2] = {103, 200}, f.mark_count = 3;
       },
       "uneven", "uneven"},
      {[](driver::RunFacts& f) {
         f.copy_elapsed = {6.0, 8.0}, f.copies = 2, f.after.cpu_seconds = 5.0 + 14.0;
       },
       "copies_unequal", "copies unequal"},
  };
  for (const Case& c : cases) {
    driver::RunFacts facts = copies_run({8.0}, 8.0);
    facts.sizes = {250, 1000, 251};
    facts.checked = true;
    c.disturb(facts);
    const driver::MeasuredRun run{facts, driver::measure(facts)};
    nlohmann::json line = nlohmann::json::parse(driver::log_line(run, "box", {"b", 1}));
    EXPECT_EQ(line["disturbed_kinds"], nlohmann::json::array({c.kind})) << line["disturbed"];
    for (const bool with_keys : {true, false}) {
      if (!with_keys) line.erase("disturbed_kinds");
      const std::optional<report::Run> read = report::log_run(line.dump());
      ASSERT_TRUE(read) << line;
      EXPECT_EQ(read->disturbances, std::vector<std::string>{c.name}) << line["disturbed"];
    }
  }
  // The key decides, whatever the words; a kind not known here counts by its key.
  const std::optional<report::Run> keyed = report::log_run(
      R"({"pibench":"9","result":"correct","digits":1000,"precise_figure":300,"identifier":"box",)"
      R"("disturbed":["3 of 4 processors busy","pump: 80 C"],"disturbed_kinds":["cpu_share","thermal"]})");
  ASSERT_TRUE(keyed);
  EXPECT_EQ(keyed->disturbances, (std::vector<std::string>{"cpu share", "thermal"}));
}

}  // namespace

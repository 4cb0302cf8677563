// Real histories of one machine (docs/history-*.jsonl, 24 batches of 5 runs
// at 32000 digits): 8 idle, 8 held to 95 % of a processor or from an
// unoptimised build, 8 idle; and 24 idle. The report finds the changes
// where they happened, names what changed, and alerts a cron job once.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "tests/driver/program.hpp"

namespace {

const std::filesystem::path kDocs = std::filesystem::path(PIBENCH_SOURCE_DIR) / "docs";

nlohmann::json report_of(const std::string& history, const std::vector<std::string>& more = {}) {
  const ScratchDir dir;
  RunOptions o;
  o.arguments = {"--report", "--format", "json", "--all-runs", (kDocs / ("history-" + history + ".jsonl")).string()};
  o.arguments.insert(o.arguments.end(), more.begin(), more.end());
  const Outcome r = run_program(dir, "", o);
  EXPECT_EQ(r.exit_status, 0) << r.err;
  return nlohmann::json::parse(r.out);
}

// The ratio of the medians of batches [a, b) and [b, c) of a history.
double medians_ratio(const nlohmann::json& history, std::size_t a, std::size_t b, std::size_t c) {
  const auto median = [&](std::size_t from, std::size_t to) {
    std::vector<double> m;
    for (std::size_t i = from; i < to; ++i) m.push_back(history[i]["median"].get<double>());
    std::sort(m.begin(), m.end());
    return (m[(m.size() - 1) / 2] + m[m.size() / 2]) / 2;
  };
  return median(b, c) / median(a, b);
}

TEST(History, RealChangesFoundWhereTheyHappened) {
  for (const std::string name : {"quota", "build"}) {
    SCOPED_TRACE(name);
    const nlohmann::json row = report_of(name)["machines"][0];
    ASSERT_EQ(row["history"].size(), 24U);
    ASSERT_EQ(row["changes"].size(), 2U);
    for (int c = 0; c < 2; ++c) {
      const nlohmann::json& change = row["changes"][c];
      EXPECT_EQ(change["after_batch"], 8 * (c + 1));
      EXPECT_EQ(change["start"], row["history"][8 * (c + 1)]["start"]);
      const double truth = medians_ratio(row["history"], 8 * c, 8 * (c + 1), 8 * (c + 2));
      EXPECT_LE(change["ratio_ci"][0].get<double>(), truth);
      EXPECT_GE(change["ratio_ci"][1].get<double>(), truth);
      if (name == "build") {
        EXPECT_TRUE(change["facts"].contains("build")) << change;
      } else {
        EXPECT_EQ(change["facts"], nlohmann::json::object());
      }
    }
    EXPECT_EQ(row["basis"], "");  // the reference: its current level is its last 8 batches
  }
  EXPECT_EQ(report_of("idle")["machines"][0]["changes"], nlohmann::json::array());
}

// A daily job passes yesterday's date: status 3 for a change that began
// since, 0 once the change is older; the report is written whole either way.
TEST(History, FailOnChangeAlertsOnce) {
  const ScratchDir dir;
  const std::string file = (kDocs / "history-build.jsonl").string();
  const nlohmann::json row = report_of("build")["machines"][0];
  const std::string second = row["changes"][1]["start"];
  for (const auto& [since, status] : std::vector<std::pair<std::string, int>>{{second.substr(0, 10), 3},
                                                                              {second.substr(0, 19), 3},
                                                                              {"2099-01-01", 0},
                                                                              {second.substr(0, 17) + "59+00:00", 0}}) {
    RunOptions o;
    o.arguments = {"--report", "--fail-on-change", since, file};
    const Outcome r = run_program(dir, "", o);
    EXPECT_EQ(r.exit_status, status) << since << r.err;
    EXPECT_NE(r.out.find("Changes in a machine's level"), std::string::npos);
  }
  // The first batch after the change with no start: the next batch's tells.
  std::ifstream in(file);
  std::ofstream undated(dir.path() / "undated.jsonl");
  const auto first_after = row["changes"][1]["after_batch"].get<std::size_t>();  // from 0, as the file has them
  std::vector<std::string> batches;
  for (std::string line; std::getline(in, line);) {
    nlohmann::json run = nlohmann::json::parse(line);
    if (batches.empty() || batches.back() != run["batch"]) batches.push_back(run["batch"]);
    if (batches.size() == first_after + 1) run.erase("start");
    undated << run.dump() << '\n';
  }
  undated.close();
  RunOptions o;
  o.arguments = {"--report", "--fail-on-change", second.substr(0, 19), (dir.path() / "undated.jsonl").string()};
  EXPECT_EQ(run_program(dir, "", o).exit_status, 3);
  // Anything but digits where the form has them, or an offset of a day.
  for (const std::string bad :
       {"yesterday", "2026-13-01", "2026-12-10T25:00", "2026-12-10+01:00", "+026-12-10", "2026-12- 1",
        "2026-12-10T02:14+99:99", "2026-12-10T02:14+24:00", "2026-12-10T02:14:5"}) {
    RunOptions o;
    o.arguments = {"--report", "--fail-on-change", bad, file};
    EXPECT_EQ(run_program(dir, "", o).exit_status, 2) << bad;
  }
}

}  // namespace

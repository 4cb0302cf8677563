// Rows by copies in the report: each compared with the reference's row at
// as many copies, and the scaling of a machine's copies over its one copy.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "report/formats.hpp"
#include "report/read.hpp"
#include "report/runs.hpp"
#include "report/statistics.hpp"

namespace {

using Json = nlohmann::json;

std::string log_line(const std::string& machine, int copies, double figure, double throughput) {
  return Json{{"pibench", "1.1.0"},  {"identifier", machine},    {"digits", 64000},         {"copies", copies},
              {"result", "correct"}, {"precise_figure", figure}, {"throughput", throughput}}
      .dump();
}

report::Report summary_of(const std::vector<std::string>& lines, const std::optional<std::string>& reference) {
  report::Runs runs;
  for (const std::string& line : lines) {
    if (const std::optional<report::Run> run = report::log_run(line)) runs.add(*run);
  }
  return report::summarise(std::move(runs), reference).value();
}

TEST(ReportCopies, RowsByCopiesWithTheirScaling) {
  std::vector<std::string> lines;
  for (const double f : {100.0, 102.0, 98.0, 101.0}) lines.push_back(log_line("box", 1, f, f));
  // Two copies: the first's figure is not the row's, their throughput is.
  for (const double t : {190.0, 188.0, 192.0, 186.0}) lines.push_back(log_line("box", 2, 500.0, t));
  for (const double t : {350.0, 360.0, 355.0, 345.0}) lines.push_back(log_line("big", 4, 90.0, t));
  for (const double f : {50.0, 51.0, 49.0, 50.5}) lines.push_back(log_line("slow", 1, f, f));
  const report::Report r = summary_of(lines, "box");

  struct Expected {
    std::string machine;
    int copies;
    double median;
    std::optional<double> relative, scaling;
    report::Verdict verdict;
  };
  const Expected expected[] = {
      {"big", 4, 352.5, std::nullopt, std::nullopt, report::Verdict::kNoReference},
      {"box", 2, 189.0, 1.0, 189.0 / (2 * 100.5), report::Verdict::kReference},
      {"box", 1, 100.5, 1.0, std::nullopt, report::Verdict::kReference},
      {"slow", 1, 50.25, 50.25 / 100.5, std::nullopt, report::Verdict::kSlower},
  };
  ASSERT_EQ(r.machines.size(), std::size(expected));
  for (std::size_t i = 0; i < r.machines.size(); ++i) {
    const report::MachineSummary& m = r.machines[i];
    const Expected& e = expected[i];
    EXPECT_EQ(m.machine, e.machine) << i;
    EXPECT_EQ(m.copies, e.copies) << e.machine;
    EXPECT_DOUBLE_EQ(m.median, e.median) << e.machine;
    EXPECT_EQ(m.relative.has_value(), e.relative.has_value()) << e.machine;
    if (m.relative && e.relative) {
      EXPECT_DOUBLE_EQ(*m.relative, *e.relative) << e.machine;
    }
    EXPECT_EQ(m.scaling.has_value(), e.scaling.has_value()) << e.machine;
    if (m.scaling && e.scaling) {
      EXPECT_DOUBLE_EQ(*m.scaling, *e.scaling) << e.machine;
    }
    EXPECT_EQ(m.verdict, e.verdict) << e.machine;
  }

  // Every format has both columns; the CSV header ends with them.
  const std::string csv = report::render(r, report::Format::kCsv);
  EXPECT_EQ(csv.substr(0, csv.find('\n')),
            "machine,digits,runs,median,best,worst,spread,relative,median_low,median_high,relative_low,relative_high,"
            "verdict,disturbed,copies,scaling");
  EXPECT_NE(csv.find("\nbox,64000,4,189,192,186,0.0317,1.0000,,,,,reference,0,2,0.9403\n"), std::string::npos) << csv;
  const Json json = Json::parse(report::render(r, report::Format::kJson));
  EXPECT_EQ(json["machines"][0]["copies"], 4);
  EXPECT_TRUE(json["machines"][0]["scaling"].is_null());
  EXPECT_TRUE(json["machines"][0]["relative"].is_null());
  EXPECT_EQ(json["machines"][1]["scaling"], 0.9403);
  const std::string text = report::render(r, report::Format::kText);
  EXPECT_NE(text.find("  copies  scaling"), std::string::npos) << text;
  EXPECT_NE(text.find("Scaling: "), std::string::npos) << text;
  EXPECT_NE(report::render(r, report::Format::kSvg).find(">box (2 copies)</text>"), std::string::npos);
  EXPECT_NE(report::render(r, report::Format::kMarkdown).find("| copies | scaling |"), std::string::npos);

  // Without a reference named, the fastest row's machine is the reference
  // at every count of copies it has.
  const report::Report fastest = summary_of(lines, std::nullopt);
  EXPECT_EQ(fastest.reference, "big");
  EXPECT_EQ(fastest.machines[1].verdict, report::Verdict::kNoReference);
}

// A log line's copies: absent is one; anything but a whole number from 2 to
// 1024 (or 1) leaves the line out.
TEST(ReportCopies, CopiesKeyRead) {
  struct Case {
    Json copies;
    std::optional<int> read;  // nullopt: left out
  };
  const Case cases[] = {{nullptr, 1},
                        {1, 1},
                        {2, 2},
                        {1024, 1024},
                        {0, std::nullopt},
                        {-2, std::nullopt},
                        {1025, std::nullopt},
                        {"2", std::nullopt},
                        {2.5, std::nullopt}};
  for (const Case& c : cases) {
    Json line = {{"pibench", "1.1.0"},  {"identifier", "box"},    {"digits", 1000},
                 {"result", "correct"}, {"precise_figure", 10.0}, {"throughput", 30.0}};
    if (!c.copies.is_null()) line["copies"] = c.copies;
    const std::optional<report::Run> run = report::log_run(line.dump());
    ASSERT_EQ(run.has_value(), c.read.has_value()) << line;
    if (!run) continue;
    EXPECT_EQ(run->copies, *c.read) << line;
    EXPECT_EQ(run->figure, *c.read == 1 ? 10.0 : 30.0) << line;
  }
}

}  // namespace

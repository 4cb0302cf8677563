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

// A line of a batch of its own.
std::string log_line(const std::string& machine, int copies, double figure, double throughput) {
  static int batch = 0;
  return Json{
      {"pibench", "1.1.0"},  {"identifier", machine},    {"digits", 64000},          {"copies", copies},
      {"result", "correct"}, {"precise_figure", figure}, {"throughput", throughput}, {"batch", std::to_string(++batch)}}
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

  // Each row against the reference's at as many copies, or, where it has
  // none, the fastest row there, named in a last column; the scaling of
  // box's two copies over its one. Lines without a batch or a start are a
  // batch each.
  EXPECT_EQ(report::render(r, report::Format::kCsv),
            "machine,digits,runs,batches,median,best,worst,spread,relative,median_low,median_high,relative_low,"
            "relative_high,verdict,basis,disturbed,copies,scaling,left_out,reference\n"
            "big,64000,4,4,352.5,360,345,0.0426,1.0000,,,,,reference,,0,4,,0,big\n"
            "box,64000,4,4,189,192,186,0.0317,1.0000,,,,,reference,,0,2,0.9403,0,box\n"
            "box,64000,4,4,100.5,102,98,0.0398,1.0000,,,,,reference,,0,1,,0,box\n"
            "slow,64000,4,4,50.25,51,49,0.0398,0.5000,,,0.4854,0.5150,slower,4 vs 4 batches,0,1,,0,box\n");
  const Json json = Json::parse(report::render(r, report::Format::kJson));
  EXPECT_TRUE(json["machines"][0]["scaling"].is_null());
  EXPECT_EQ(json["machines"][1]["scaling"], 0.9403);
  EXPECT_EQ(json["reference"], "box");
  EXPECT_EQ(json["machines"][0]["reference"], "big");
  EXPECT_NE(report::render(r, report::Format::kText)
                .find("to box, over batches (below).\nRelative at 64000 digits, 4 "
                      "copies: to big.\n"),
            std::string::npos);
  const std::string text = report::render(r, report::Format::kWideText);
  EXPECT_NE(text.find("  copies  scaling"), std::string::npos) << text;
  EXPECT_NE(text.find("Scaling: "), std::string::npos) << text;
  EXPECT_NE(report::render(r, report::Format::kText).find("\nbox (2 copies) "), std::string::npos);
  EXPECT_NE(report::render(r, report::Format::kSvg).find(">box (2 copies)</text>"), std::string::npos);
  EXPECT_NE(report::render(r, report::Format::kMarkdown).find("| copies | scaling |"), std::string::npos);

  // Without a reference named, the fastest row's machine is the reference
  // at every count of copies it has, and the fastest row of each other
  // count is that count's.
  const report::Report fastest = summary_of(lines, std::nullopt);
  EXPECT_EQ(fastest.reference, "big");
  EXPECT_EQ(fastest.machines[1].verdict, report::Verdict::kReference);
  EXPECT_EQ(fastest.group_references,
            (std::map<std::pair<int, int>, std::string>{{{64000, 1}, "box"}, {{64000, 2}, "box"}}));
  EXPECT_EQ(fastest.machines[3].verdict, report::Verdict::kSlower);
  // One reference for every row: no row names its own.
  std::vector<std::string> one_group(lines.begin(), lines.begin() + 4);
  one_group.insert(one_group.end(), lines.begin() + 12, lines.end());
  const Json shared = Json::parse(report::render(summary_of(one_group, std::nullopt), report::Format::kJson));
  EXPECT_FALSE(shared["machines"][1].contains("reference"));
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

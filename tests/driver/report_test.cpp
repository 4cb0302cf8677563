// The report: the reading of record lines, the statistics, and names that
// cannot break any output format.
#include "driver/report.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/record_file.hpp"
#include "runtime/unit.hpp"

namespace {

// Every line of `content`, as the reader takes it from a file.
std::vector<runtime::FileUnit::Line> lines_of(const std::string& content) {
  const char* name = "report_test.dat";
  std::ofstream(name, std::ios::binary) << content;
  runtime::FileUnit file;
  EXPECT_TRUE(file.open_for_reading(name));
  std::vector<runtime::FileUnit::Line> lines;
  for (runtime::FileUnit::Line line; file.read_line(line) == runtime::FileUnit::ReadResult::kRecord;) {
    lines.push_back(line);
  }
  runtime::close_all_units();
  std::remove(name);
  return lines;
}

std::string record(const std::string& machine, const std::string& figure) {
  return machine + std::string(50 - machine.size(), ' ') + " " + figure;
}

TEST(Report, RecordLinesInEveryFormG15_7Writes) {
  struct Case {
    std::string line;
    double figure;  // 0: not a record line
  };
  const Case cases[] = {
      {record("Debian 12 VM, 2 cores", "   491520.0    "), 491520.0},
      {record("box", "   2.000000    "), 2.0},
      {record("box", "   .4800000E-02"), 0.0048},
      {record("box", "   .2457600E+11"), 2.4576e10},
      {record("box", "   300.0000    ") + "\r", 300.0},  // a CR before the line end
      {record("box", "   300.0000"), 300.0},             // trailing blanks taken off
      {record("box", "   300.0000    ") + "   ", 300.0},
      {"Debian 12 VM, 2 cores", 0},  // a name line
      {"", 0},
      {record("box", "   300.0000    x"), 0},
      {record("box", "   1e3        "), 0},
      {record("box", "  300.0000     "), 0},  // moved a column
      {record("box", "   inf         "), 0},
      {record("box", "   -300.000    "), 0},
      {std::string(50, 'x') + "x   300.0000    ", 0},  // no blank in column 51
      {record("box", "   300.0000    ") + std::string(5000, ' ') + "x", 0},
  };
  for (const Case& c : cases) {
    const std::vector<runtime::FileUnit::Line> lines = lines_of(c.line + "\n");
    ASSERT_EQ(lines.size(), 1u) << c.line;
    const std::optional<runtime::Record> r = runtime::parse_record(lines[0]);
    EXPECT_EQ(r.has_value(), c.figure != 0) << c.line;
    if (r) {
      EXPECT_DOUBLE_EQ(r->figure, c.figure) << c.line;
      EXPECT_EQ(std::string(r->machine), c.line.substr(0, c.line.find("  ")).substr(0, 50)) << c.line;
    }
  }
  // An unterminated last line counts, a lone CR line is empty.
  const auto lines = lines_of("name\r\n\r\n" + record("box", "   300.0000    "));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].length, 0u);
  EXPECT_TRUE(runtime::parse_record(lines[2]).has_value());
}

TEST(Report, MediansSpreadsAndTheReference) {
  driver::Runs runs;
  for (const double f : {400.0, 100.0, 300.0, 200.0}) runs.add(driver::Run{"even", std::nullopt, f, false});
  for (const double f : {1000.0, 900.0, 950.0}) runs.add(driver::Run{"odd", std::nullopt, f, false});
  runs.add(driver::Run{"single", std::nullopt, 50.0, false});
  runs.skipped_lines = 7;

  const std::optional<driver::Report> fastest = driver::summarise(runs, "");
  ASSERT_TRUE(fastest);
  ASSERT_EQ(fastest->machines.size(), 3u);
  EXPECT_EQ(fastest->reference, "odd");
  EXPECT_EQ(fastest->skipped_lines, 7);
  const driver::MachineSummary& odd = fastest->machines[0];
  const driver::MachineSummary& even = fastest->machines[1];
  EXPECT_EQ(odd.machine, "odd");
  EXPECT_EQ(odd.runs, 3);
  EXPECT_DOUBLE_EQ(odd.median, 950);
  EXPECT_DOUBLE_EQ(odd.best, 1000);
  EXPECT_DOUBLE_EQ(odd.worst, 900);
  EXPECT_DOUBLE_EQ(odd.spread, 100.0 / 950);
  EXPECT_DOUBLE_EQ(odd.relative, 1);
  EXPECT_DOUBLE_EQ(even.median, 250);  // the mean of the two middle figures
  EXPECT_DOUBLE_EQ(even.relative, 250.0 / 950);
  EXPECT_EQ(fastest->machines[2].machine, "single");

  const std::optional<driver::Report> against = driver::summarise(runs, "even");
  ASSERT_TRUE(against);
  EXPECT_DOUBLE_EQ(against->machines[0].relative, 950.0 / 250);
  EXPECT_FALSE(driver::summarise(runs, "unknown"));
}

// A name made of every character that means something in one of the
// formats, and bytes that are not UTF-8: the structure of each output holds.
TEST(Report, NamesNeverBreakAFormat) {
  const std::string name = "a<b>&c\"d,e|f'g*h\\i\xff\xc3(\x01";
  driver::Runs runs;
  for (const double f : {3.0, 4.0, 5.0}) runs.add(driver::Run{name, std::nullopt, f, false});
  runs.add(driver::Run{"plain", std::nullopt, 1.0, false});
  const driver::Report report = *driver::summarise(runs, "");
  const std::string shown = driver::displayable(name);
  EXPECT_EQ(shown, "a<b>&c\"d,e|f'g*h\\i\xEF\xBF\xBD\xEF\xBF\xBD(\xEF\xBF\xBD");
  // Each malformed byte alone; a well-formed sequence whole; controls, C1 among them.
  EXPECT_EQ(driver::displayable("\xC2"
                                "A\xE2\x82\xAC\xC2\x85\xED\xA0\x80\xF0\x9F\x98\x80\t"),
            "\xEF\xBF\xBD"
            "A\xE2\x82\xAC\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xF0\x9F\x98\x80\xEF\xBF\xBD");

  const nlohmann::json json = nlohmann::json::parse(driver::render(report, driver::Format::kJson));
  // JSON escapes the control character instead.
  const std::string from_json = json["machines"][0]["machine"];
  EXPECT_EQ(from_json, "a<b>&c\"d,e|f'g*h\\i\xEF\xBF\xBD\xEF\xBF\xBD(\x01");
  EXPECT_EQ(json["reference"], from_json);

  std::istringstream csv(driver::render(report, driver::Format::kCsv));
  std::string header, row;
  std::getline(csv, header);
  std::getline(csv, row);
  EXPECT_EQ(row.rfind("\"a<b>&c\"\"d,e|f'g*h\\i", 0), 0u) << row;

  std::istringstream markdown(driver::render(report, driver::Format::kMarkdown));
  std::getline(markdown, header);
  std::getline(markdown, row);
  std::getline(markdown, row);
  int cells = 0;
  for (std::size_t i = 0; i < row.size(); ++i) cells += row[i] == '|' && (i == 0 || row[i - 1] != '\\');
  EXPECT_EQ(cells, 9) << row;

  const std::string svg = driver::render(report, driver::Format::kSvg);
  EXPECT_NE(svg.find(">a&lt;b&gt;&amp;c&quot;d,e|f&apos;g*h\\i"), std::string::npos);
  EXPECT_EQ(svg.find("a<b"), std::string::npos);
  EXPECT_EQ(svg.find('\x01'), std::string::npos);

  const std::string text = driver::render(report, driver::Format::kText);
  EXPECT_NE(text.find(shown), std::string::npos);
  EXPECT_EQ(text.find('\xff'), std::string::npos);
}

}  // namespace

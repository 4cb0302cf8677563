// The report: the reading of record lines, the statistics, and names that
// cannot break any output format.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "report/columns.hpp"
#include "report/formats.hpp"
#include "report/read.hpp"
#include "report/runs.hpp"
#include "report/statistics.hpp"
#include "report/text.hpp"
#include "runtime/format.hpp"
#include "runtime/record_file.hpp"
#include "runtime/text.hpp"
#include "runtime/unit.hpp"

#if defined(__GLIBC__)
#include <clocale>
#include <cwchar>
#endif

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
  report::Runs runs;
  for (const double f : {400.0, 100.0, 300.0, 200.0}) runs.add(report::Run{"even", 0, f, false, {}});
  for (const double f : {1000.0, 900.0, 950.0}) runs.add(report::Run{"odd", 0, f, false, {}});
  runs.add(report::Run{"single", 0, 50.0, false, {}});
  runs.skipped_lines = 7;

  const std::optional<report::Report> fastest = report::summarise(runs, std::nullopt);
  ASSERT_TRUE(fastest);
  ASSERT_EQ(fastest->machines.size(), 3u);
  EXPECT_EQ(fastest->reference, "odd");
  EXPECT_EQ(fastest->skipped_lines, 7);
  const report::MachineSummary& odd = fastest->machines[0];
  const report::MachineSummary& even = fastest->machines[1];
  EXPECT_EQ(odd.machine, "odd");
  EXPECT_EQ(odd.runs, 3);
  EXPECT_DOUBLE_EQ(odd.median, 950);
  EXPECT_DOUBLE_EQ(odd.best, 1000);
  EXPECT_DOUBLE_EQ(odd.worst, 900);
  EXPECT_DOUBLE_EQ(odd.spread, 100.0 / 950);
  EXPECT_DOUBLE_EQ(odd.relative.value(), 1);
  EXPECT_DOUBLE_EQ(even.median, 250);  // the mean of the two middle figures
  EXPECT_NEAR(even.relative.value() / (250.0 / 950), 1, 1e-12);
  EXPECT_EQ(fastest->machines[2].machine, "single");

  const std::optional<report::Report> against = report::summarise(runs, "even");
  ASSERT_TRUE(against);
  EXPECT_NEAR(against->machines[0].relative.value() / (950.0 / 250), 1, 1e-12);
  EXPECT_FALSE(report::summarise(runs, "unknown"));
}

// A name made of every character that means something in one of the
// formats, and bytes that are not UTF-8: the structure of each output holds.
TEST(Report, NamesNeverBreakAFormat) {
  const std::string name = "a<b>&c\"d,e|f'g*h\\i\xff\xc3(\x01";
  report::Runs runs;
  for (const double f : {3.0, 4.0, 5.0}) runs.add(report::Run{name, 0, f, false, {}});
  runs.add(report::Run{"plain", 0, 1.0, false, {}});
  const report::Report report = *report::summarise(runs, std::nullopt);
  const std::string shown = runtime::displayable(name);
  EXPECT_EQ(shown, "a<b>&c\"d,e|f'g*h\\i\xEF\xBF\xBD\xEF\xBF\xBD(\xEF\xBF\xBD");
  // Each malformed byte alone; a well-formed sequence whole; controls, C1 among them.
  EXPECT_EQ(runtime::displayable("\xC2"
                                 "A\xE2\x82\xAC\xC2\x85\xED\xA0\x80\xF0\x9F\x98\x80\t"),
            "\xEF\xBF\xBD"
            "A\xE2\x82\xAC\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xF0\x9F\x98\x80\xEF\xBF\xBD");
  // The bidirectional controls, at both ends of each range, and their neighbours kept.
  EXPECT_EQ(runtime::displayable("\xE2\x80\xA9\xE2\x80\xAA\xE2\x80\xAE\xE2\x80\xAF\xE2\x81\xA5\xE2\x81\xA6"
                                 "\xE2\x81\xA9\xE2\x81\xAA"),
            "\xE2\x80\xA9\xEF\xBF\xBD\xEF\xBF\xBD\xE2\x80\xAF\xE2\x81\xA5\xEF\xBF\xBD\xEF\xBF\xBD\xE2\x81\xAA");

  const nlohmann::json json = nlohmann::json::parse(report::render(report, report::Format::kJson));
  // Every format shows the name the same way.
  const std::string from_json = json["machines"][0]["machine"];
  EXPECT_EQ(from_json, shown);
  EXPECT_EQ(json["reference"], from_json);

  std::istringstream csv(report::render(report, report::Format::kCsv));
  std::string header, row;
  std::getline(csv, header);
  std::getline(csv, row);
  EXPECT_EQ(row.rfind("\"a<b>&c\"\"d,e|f'g*h\\i", 0), 0u) << row;

  std::istringstream markdown(report::render(report, report::Format::kMarkdown));
  std::getline(markdown, header);
  std::getline(markdown, row);
  std::getline(markdown, row);
  int cells = 0;
  for (std::size_t i = 0; i < row.size(); ++i) cells += row[i] == '|' && (i == 0 || row[i - 1] != '\\');
  EXPECT_EQ(cells, std::ranges::count_if(report::columns(), [](const report::Column& c) { return c.text; }) + 2) << row;

  const std::string svg = report::render(report, report::Format::kSvg);
  EXPECT_NE(svg.find(">a&lt;b&gt;&amp;c&quot;d,e|f&apos;g*h\\i"), std::string::npos);
  EXPECT_EQ(svg.find("a<b"), std::string::npos);
  EXPECT_EQ(svg.find('\x01'), std::string::npos);

  const std::string text = report::render(report, report::Format::kText);
  EXPECT_NE(text.find(shown), std::string::npos);
  EXPECT_EQ(text.find('\xff'), std::string::npos);
}

std::string log_line(const std::string& identifier, const std::string& digits, const std::string& figure) {
  return R"({"pibench":"1.1.0","identifier":")" + identifier + R"(","digits":)" + digits + R"(,"precise_figure":)" +
         figure + R"(,"result":"correct"})";
}

// Lines no run can have made, mixed in one file: only real runs count, and
// every format stays valid, finite and aligned.
TEST(Report, HostileLinesThroughEveryFormat) {
  const std::string cut = std::string(45, 'x') + "cut\xE2\x82";  // a name cut inside a character
  const std::string content =
      "\xEF\xBB\xBF" + log_line("bom", "64000", "450000.0") + "\n" +  // a byte-order mark
      "garbage\n{\"not\": \"a run\"}\n" +                             // two skipped lines
      record("{brace}", "   491520.0    ") + "\n" +                   // a record file's name may start with {
      record("box", runtime::field_g(NAN, 15, 7)) + "\n" + record("box", runtime::field_g(INFINITY, 15, 7)) + "\n" +
      record("box", runtime::field_g(-1.0f, 15, 7)) + "\n" + record("box", runtime::field_g(0.0f, 15, 7)) + "\n" +
      record("box", runtime::field_g(3e38f, 15, 7)) + "\n" + record("box", runtime::field_g(1e10f, 15, 7)) + "\n" +
      log_line("huge", "64000", "1e308") + "\n" + log_line("huge", "64000", "1.7e308") + "\n" +
      log_line("tiny", "64000", "5e-324") + "\n" + log_line("digits", "10000000000", "1.0") + "\n" +
      log_line("digits", "18446744073709551615", "1.0") + "\n" + log_line("digits", "-64000", "1.0") + "\n" +
      log_line("digits", "0", "1.0") + "\n" + log_line("digits", "3", "1.0") + "\n" +
      log_line("digits", "64000", "-5.0") + "\n" + record("non\xEF\xBF\xBE\xEF\xBF\xBF\x01", "   300.0000    ") + "\n" +
      record(cut, "   300.0000    ") + "\n" + record("漢字 wide", "   300.0000    ") + "\n" +
      record("e\xCC\x81 combining", "   300.0000    ") + "\n";
  const char* name = "hostile.dat";
  std::ofstream(name, std::ios::binary) << content;
  report::Runs runs;
  {
    runtime::FileUnit file;
    ASSERT_TRUE(file.open_for_reading(name));
    ASSERT_TRUE(report::read_runs(file, runs));
  }
  std::remove(name);
  EXPECT_EQ(runs.skipped_lines, 12);
  const std::optional<report::Report> r = report::summarise(runs, std::nullopt);
  ASSERT_TRUE(r);
  std::map<std::string, int> rows;
  for (const report::MachineSummary& m : r->machines) {
    rows[m.machine] += m.runs;
    for (const double value : {m.median, m.best, m.worst, m.spread, m.relative.value_or(1)}) {
      EXPECT_TRUE(std::isfinite(value) && value >= 0) << m.machine;
    }
  }
  const std::string shown_cut = std::string(45, 'x') + "cut\xEF\xBF\xBD";
  EXPECT_EQ(rows, (std::map<std::string, int>{{"bom", 1},
                                              {"{brace}", 1},
                                              {"box", 2},
                                              {"huge", 2},
                                              {"tiny", 1},
                                              {"non\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", 1},
                                              {shown_cut, 1},
                                              {"漢字 wide", 1},
                                              {"e\xCC\x81 combining", 1}}));

  for (const report::Format format : {report::Format::kText, report::Format::kWideText, report::Format::kMarkdown,
                                      report::Format::kCsv, report::Format::kJson, report::Format::kSvg}) {
    const std::string out = report::render(*r, format);
    for (const char* bad : {"nan", "inf", "\xEF\xBF\xBE", "\xEF\xBF\xBF", "\x01"}) {
      EXPECT_EQ(out.find(bad), std::string::npos) << bad << " in\n" << out;
    }
    std::istringstream lines(out);
    std::vector<std::string> table;
    for (std::string line; std::getline(lines, line);) table.push_back(line);
    if (format == report::Format::kText) {
      // Every line within the columns, each name cut to fit.
      for (const std::string& line : table) EXPECT_LE(runtime::display_width(line), report::kTextColumns) << line;
      EXPECT_NE(out.find("\nxxxxxxxxxxxx"), std::string::npos) << out;
    } else if (format == report::Format::kWideText) {
      // Every row as wide as the header up to its bar.
      const std::size_t width = runtime::display_width(table[0]);
      for (std::size_t i = 1; i <= r->machines.size(); ++i) {
        EXPECT_EQ(runtime::display_width(table[i].substr(0, table[i].find("  #"))), width) << table[i];
      }
    } else if (format == report::Format::kCsv) {
      // Without a row long enough for a change, without the changes' two columns.
      for (const std::string& line : table)
        EXPECT_EQ(std::count(line.begin(), line.end(), ','),
                  std::ranges::count_if(report::columns(), [](const report::Column& c) { return c.csv; }) - 2 +
                      (r->group_references.empty() ? 0 : 1))  // and each row's reference
            << line;
    } else if (format == report::Format::kJson) {
      EXPECT_EQ(nlohmann::json::parse(out)["machines"].size(), r->machines.size());
    } else if (format == report::Format::kMarkdown) {
      EXPECT_EQ(table.size(), r->machines.size() + 2);
    }
  }
}

// A machine's facts as its log holds them, controls and bytes that are not
// printable among them: a change's facts are shown as names are, so that no
// line of text or row of Markdown breaks.
TEST(Report, HostileFactsOfAChange) {
  const char* name = "facts.jsonl";
  constexpr std::array kNoise = {3, -2, 5, 0, -4, 1, -1, 4, -3, 2, 0, -5};
  {
    std::ofstream file(name, std::ios::binary);
    for (int b = 0; b < 12; ++b) {
      const double figure = (b < 6 ? 1000.0 : 500.0) * (1 + 0.01 * kNoise[b]);
      file << R"({"pibench":"1.1.0","identifier":"m","digits":1000,"batch":"b)" << b << R"(","start":"2026-12-01T00:)"
           << 10 + b << R"(:00Z","precise_figure":)" << figure << R"(,"result":"correct","system":{"kernel":")"
           << (b < 6 ? "a\\nb" : "c\\u0001\\u0085") << "\"}}\n";
    }
  }
  report::Runs runs;
  {
    runtime::FileUnit file;
    ASSERT_TRUE(file.open_for_reading(name));
    ASSERT_TRUE(report::read_runs(file, runs));
  }
  std::remove(name);
  const report::Report r = *report::summarise(runs, std::nullopt);
  ASSERT_TRUE(r.machines[0].history);
  ASSERT_EQ(r.machines[0].history->changes.size(), 1U);
  const std::string text = report::render(r, report::Format::kText);
  EXPECT_NE(text.find("kernel a\xEF\xBF\xBD"
                      "b -> c\xEF\xBF\xBD\xEF\xBF\xBD\n"),
            std::string::npos)
      << text;
  const std::string markdown = report::render(r, report::Format::kMarkdown);
  for (const std::string& out : {text, markdown}) {
    EXPECT_EQ(out.find('\x01'), std::string::npos);
    EXPECT_EQ(out.find("\xC2\x85"), std::string::npos);
  }
  EXPECT_NE(markdown.find("a\xEF\xBF\xBD"
                          "b"),
            std::string::npos)
      << markdown;
}

// An older log's start in the forms it was written in: an offset or "Z",
// a space for the "T", fractional seconds; without an offset, the
// writer's clock as if UTC, said to be local.
TEST(Report, StartsOfOlderLogs) {
  struct Case {
    const char* start;
    std::optional<double> seconds;  // after 2026-12-10T02:00:06Z
    bool local;
  };
  const std::optional<double> none;
  const Case cases[] = {
      {"2026-12-10T02:00:06+00:00", 0, false},
      {"2026-12-10T02:00:06Z", 0, false},
      {"2026-12-10 02:00:06+01:00", -3600, false},
      {"2026-12-10T02:00:06.5-00:30", 1800.5, false},
      {"2026-12-10T02:00:06", 0, true},
      {"2026-12-10 02:00:06.25", 0.25, true},
      {"2026-12-10T02:00:06 junk", none, false},
      {"2026-12-10T02:00:06+0100", none, false},
      {"2026-02-30T02:00:06Z", none, false},
      {"2026-12-10T24:00:06Z", none, false},
      {"2026-12-10T02:00:06.Z", none, false},
      {"yesterday", none, false},
  };
  constexpr double kAt = 1796868006;
  for (const Case& c : cases) {
    const std::string line = R"({"pibench":"1.0.0","identifier":"m","digits":1000,"precise_figure":1.0,)"
                             R"("result":"correct","start":")" +
                             std::string(c.start) + "\"}";
    const std::optional<report::Run> run = report::log_run(line);
    ASSERT_TRUE(run) << c.start;
    EXPECT_EQ(run->start.has_value(), c.seconds.has_value()) << c.start;
    if (run->start && c.seconds) {
      EXPECT_DOUBLE_EQ(*run->start - kAt, *c.seconds) << c.start;
      EXPECT_EQ(run->local_start, c.local) << c.start;
    }
  }
}

// A log's lines are read whatever their length up to a limit no log
// reaches; a longer line is skipped and counted as such.
TEST(Report, LinesOfAnyLength) {
  std::string wide = log_line("wide", "400", "9.0");
  std::string slices = ",\"slices\":[1.5";
  for (int i = 0; i < 2000; ++i) slices += ",5572.0";
  wide.insert(wide.size() - 1, slices + "]");
  std::string huge = log_line("huge", "400", "9.0");
  huge.insert(huge.size() - 1, std::string(report::kMaxLine, ' '));
  const char* name = "long-lines.jsonl";
  std::ofstream(name, std::ios::binary) << wide << "\n" << huge << "\n" << log_line("short", "400", "8.0") << "\n";
  report::Runs runs;
  {
    runtime::FileUnit file;
    ASSERT_TRUE(file.open_for_reading(name));
    ASSERT_TRUE(report::read_runs(file, runs));
  }
  std::remove(name);
  ASSERT_GT(wide.size(), 9000u);
  ASSERT_EQ(runs.rows().size(), 2u);
  EXPECT_EQ(runs.rows()[0].key.machine, "wide");
  EXPECT_EQ(runs.skipped_lines, 1);
  EXPECT_EQ(runs.long_lines, 1);
  const std::string notes = report::text_notes(report::summarise(runs, std::nullopt).value());
  EXPECT_NE(notes.find("1 other line skipped (1 longer than 16 MiB).\n"), std::string::npos) << notes;
}

// One table, the same on every platform, as glibc's wcwidth() counts columns.
TEST(Report, DisplayWidthAsTheCLibraryCountsIt) {
  EXPECT_EQ(runtime::display_width("machine"), 7u);
  EXPECT_EQ(runtime::display_width("漢字"), 4u);
  EXPECT_EQ(runtime::display_width("e\xCC\x81"), 1u);
  EXPECT_EQ(runtime::display_width("\xF0\x9F\x98\x80"), 2u);
#if defined(__GLIBC__)
  ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  for (char32_t c = 0xA0; c < 0x110000; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;
    std::string utf8;
    if (c < 0x800) {
      utf8 = {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    } else if (c < 0x10000) {
      utf8 = {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
              static_cast<char>(0x80 | (c & 0x3F))};
    } else {
      utf8 = {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
              static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    }
    const int expected = std::max(wcwidth(static_cast<wchar_t>(c)), 0) + (wcwidth(static_cast<wchar_t>(c)) < 0);
    ASSERT_EQ(runtime::display_width(utf8), static_cast<std::size_t>(expected)) << std::hex << static_cast<unsigned>(c);
  }
  std::setlocale(LC_CTYPE, "C");
#endif
}

// A machine whose every run was disturbed keeps its row, without figures,
// in every format, each of which says how many runs were left out and why;
// it is never the reference.
TEST(Report, AMachineWithEveryRunDisturbedKeepsItsRow) {
  report::Runs runs;
  for (const double f : {100.0, 102.0}) runs.add(report::Run{"clean", 0, f, true, {}});
  for (const double f : {90.0, 95.0, 80.0}) runs.add(report::Run{"noisy", 0, f, true, {"cpu share"}});
  runs.add(report::Run{"clean", 0, 60.0, true, {"uneven", "cpu share"}});

  const std::optional<report::Report> r = report::summarise(runs, std::nullopt);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->reference, "clean");
  ASSERT_EQ(r->machines.size(), 2u);
  const report::MachineSummary& noisy = r->machines[1];
  EXPECT_EQ(noisy.machine, "noisy");
  EXPECT_EQ(noisy.runs, 0);
  EXPECT_EQ(noisy.disturbed, 3);
  EXPECT_EQ(noisy.left_out, 3);
  EXPECT_EQ(noisy.verdict, report::Verdict::kAllDisturbed);
  EXPECT_FALSE(noisy.relative);
  EXPECT_EQ(r->machines[0].left_out, 1);
  EXPECT_FALSE(report::summarise(runs, "noisy"));

  const std::string said = "4 disturbed runs left out of the figures (cpu share 4, uneven 1); --all-runs keeps them.";
  const std::string text = report::render(*r, report::Format::kText);
  EXPECT_NE(text.find("\nnoisy "), std::string::npos) << text;
  EXPECT_NE(text.find(said), std::string::npos) << text;
  EXPECT_NE(report::render(*r, report::Format::kMarkdown).find("| noisy |  | 0 | 0 |"), std::string::npos);
  EXPECT_NE(report::render(*r, report::Format::kMarkdown).find("\n\n" + said), std::string::npos);
  const std::string page = report::render(*r, report::Format::kHtml);
  EXPECT_NE(page.find("<p class=\"left-out\">" + said), std::string::npos);
  // The page draws the runs left out, hollow: noisy's three and clean's one.
  EXPECT_NE(page.find("<title>3 disturbed runs left out</title>"), std::string::npos) << page;
  EXPECT_NE(page.find("<title>1 disturbed run left out</title>"), std::string::npos) << page;
  EXPECT_NE(report::render(*r, report::Format::kSvg).find(">all runs disturbed (--all-runs keeps them)</text>"),
            std::string::npos);
  EXPECT_NE(report::render(*r, report::Format::kCsv)
                .find("\nnoisy,,0,0,,,,,,,,,,all runs disturbed (--all-runs "
                      "keeps them),,3,1,,3\n"),
            std::string::npos)
      << report::render(*r, report::Format::kCsv);
  const nlohmann::json json = nlohmann::json::parse(report::render(*r, report::Format::kJson));
  EXPECT_EQ(json["left_out"], nlohmann::json::parse(R"({"disturbed":4,"by_reason":{"cpu share":4,"uneven":1}})"));
  EXPECT_TRUE(json["machines"][1]["median"].is_null());

  // Kept, they count, and nothing is said to be left out.
  report::Runs kept(true);
  for (const double f : {90.0, 95.0, 80.0}) kept.add(report::Run{"noisy", 0, f, true, {"cpu share"}});
  const std::optional<report::Report> all = report::summarise(kept, "noisy");
  ASSERT_TRUE(all);
  EXPECT_EQ(all->machines[0].runs, 3);
  EXPECT_EQ(all->machines[0].left_out, 0);
  EXPECT_EQ(report::render(*all, report::Format::kText).find("left out"), std::string::npos);
}

TEST(Report, NamesCutToAWidth) {
  struct Case {
    std::string text;
    std::size_t width;
    std::string cut;
  };
  const Case cases[] = {
      {"abcdef", 6, "abcdef"},
      {"abcdef", 5, "abcd\u2026"},
      {"abcdef", 1, "\u2026"},
      {"abcdef", 0, ""},
      {"漢字漢字", 6, "漢字\u2026"},  // a wide character never split across the edge
      {"e\xCC\x81"
       "e",
       1, "\u2026"},
      {"e\xCC\x81"
       "ee",
       2,
       "e\xCC\x81"
       "\u2026"},  // a combining mark stays with its letter
  };
  for (const Case& c : cases) {
    EXPECT_EQ(runtime::cut_to_width(c.text, c.width), c.cut) << c.text << " " << c.width;
    EXPECT_LE(runtime::display_width(runtime::cut_to_width(c.text, c.width)), c.width);
  }
}

// The narrow table's verdicts in a few words, its figures to 4 significant
// digits, and the advice of "no difference" below it.
TEST(Report, TheNarrowTableInAFewWords) {
  report::Runs runs;
  const auto batches = [&](const std::string& machine, std::initializer_list<double> figures) {
    int b = 0;
    for (const double f : figures) {
      const std::string id = machine + std::to_string(b++ / 2);
      runs.add(report::Run{machine, 64000, f, true, {}, std::nullopt, 1, id});
    }
  };
  batches("fast", {456301, 456400, 455000, 457000, 456800, 455900});
  batches("slow", {410000, 411000, 409000, 412000, 410500, 409500});
  batches("same", {456000, 457100, 455200, 456600, 457000, 455500});
  const std::optional<report::Report> r = report::summarise(runs, std::nullopt);
  ASSERT_TRUE(r);
  const std::string text = report::render(*r, report::Format::kText);
  EXPECT_NE(text.find("\nfast        6        3  456400"), std::string::npos) << text;
  EXPECT_NE(text.find("  reference\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  slower -10.1 %\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  no difference\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nNo difference found for same: "), std::string::npos) << text;
  EXPECT_NE(report::render(*report::summarise(runs, "slow"), report::Format::kText).find("  faster +11.2 %\n"),
            std::string::npos);
}

TEST(Report, ACopyOfRunsStandsAlone) {
  report::Runs runs;
  runs.add(report::Run{"a", 0, 1.0, false, {}});
  report::Runs copy = runs;
  copy.add(report::Run{"a", 0, 2.0, false, {}});
  copy.add(report::Run{"b", 0, 2.0, false, {}});
  EXPECT_EQ(runs.rows().size(), 1u);
  EXPECT_EQ(runs.rows().front().figures.batches.size(), 1u);
}

}  // namespace

// Below 80 columns the table leaves out the columns read last, then cuts
// names shorter, down to the machine and its verdict.
TEST(Report, TheTextTableKeepsToANarrowTerminal) {
  report::Runs runs;
  for (int b = 0; b < 6; ++b) {
    const double figures[] = {456301, 410000};
    for (const char* machine : {"Debian 12 VM, 2 cores, x86-64 build", "slow"}) {
      runs.add(report::Run{
          machine, 64000, figures[machine[0] == 's'] + b * 100, true, {}, std::nullopt, 1, std::to_string(b / 2)});
    }
  }
  const std::optional<report::Report> r = report::summarise(runs, std::nullopt);
  ASSERT_TRUE(r);
  struct Case {
    int columns;
    std::size_t widest;  // of the table's lines
    const char* header;
  };
  const Case cases[] = {
      {100, 100, "machine                          runs  batches  median    median 95 %  relative 95 %  verdict"},
      {80, 80, "machine               runs  median    median 95 %  relative 95 %  verdict"},
      {60, 60, "machine                median  relative 95 %  verdict"},
      {40, 40, "machine                   verdict"},
      {30, 30, "machine         verdict"},
      {12, 23, "machine  verdict"},  // the least: names of 7 columns
      {1, 23, "machine  verdict"},
  };
  for (const Case& c : cases) {
    std::string text;
    report::write_report(
        *r, report::Format::kText, [&](std::string_view piece) { text += piece; }, c.columns);
    std::istringstream lines(text.substr(0, text.find("\n\n")));
    std::size_t widest = 0;
    std::string header;
    std::getline(lines, header);
    for (std::string line; std::getline(lines, line);) {
      widest = std::max(widest, runtime::display_width(line));
      EXPECT_TRUE(line.ends_with("reference") || line.ends_with("slower -10.1 %")) << line;
    }
    EXPECT_LE(widest, c.widest) << c.columns << "\n" << text;
    EXPECT_EQ(header, c.header) << c.columns;
  }
}

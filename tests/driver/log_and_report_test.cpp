// The run log and the report as careless and hostile users use them: one
// file in two roles, links, the null device, a stop after the timed
// interval, many files, output that cannot be written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/text.hpp"
#include "tests/driver/program.hpp"

namespace {

// A log that is the record file or a result file by another name is refused
// before anything runs; the null device may be log and record file at once.
TEST(LogAndReport, OneFileOneRole) {
  NEEDS_FAKE_CLOCK();
  const ScratchDir dir;
  dir.write("Tarnoval.Dat", "MYBOX\n");
  dir.write("PI.Tst", "old\n");
  std::filesystem::create_symlink("Tarnoval.Dat", dir / "record-link");
  std::filesystem::create_hard_link(dir / "PI.Tst", dir / "tst-hard-link");
  std::filesystem::create_symlink("PI.OUT", dir / "dangling-link");
  for (const std::string log : {"record-link", "tst-hard-link", "dangling-link"}) {
    RunOptions o = clock_from("2026-12-08 12:00:00");
    o.arguments = {"--log", log};
    const Outcome r = run_program(dir, "1000\n", o);
    EXPECT_EQ(r.exit_status, 2) << log;
    EXPECT_EQ(r.out, "") << log;
    EXPECT_TRUE(r.err.starts_with("pibench: the run log '" + log + "' is ")) << r.err;
  }
  EXPECT_EQ(dir.read("Tarnoval.Dat"), "MYBOX\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "PI.OUT"));

  std::filesystem::remove(dir / "Tarnoval.Dat");
  std::filesystem::create_symlink("/dev/null", dir / "Tarnoval.Dat");
  RunOptions o = clock_from("2026-12-08 12:00:00");
  o.arguments = {"--log", "/dev/null"};
  const Outcome null = run_program(dir, "1000\n", o);
  EXPECT_EQ(null.exit_status, 0);
  EXPECT_EQ(null.err, "");
  EXPECT_TRUE(null.out.ends_with(" Duration is  2. sec\n " + std::string(50, ' ') + "  300.\n")) << null.out;
}

// A write error after the timed interval (903) is logged; a log line is appended without
// reading the log, after a line end where the log's last line has none.
TEST(LogAndReport, AStopAfterTheTimedIntervalIsLogged) {
  NEEDS_FAKE_CLOCK();
  SKIP_ON_WINDOWS("no file-size limit");
  const ScratchDir dir;
  dir.write("Tarnoval.Dat", "MYBOX\n");
  dir.write("runs.jsonl", "unterminated");
  RunOptions o = clock_from("2026-12-08 12:00:00");
  o.arguments = {"--log", "runs.jsonl"};
  o.file_size_limit = 3000;  // room for PI.OUT's arctangents, not for pi
  const Outcome r = run_program(dir, "1000\n", o);
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "STOP 903 statement executed\n");
  EXPECT_TRUE(r.out.ends_with(" Write error.\n")) << r.out;
  const std::string log = dir.read("runs.jsonl");
  ASSERT_TRUE(log.starts_with("unterminated\n{")) << log;
  const std::vector<nlohmann::json> runs = log_lines(log.substr(log.find('\n') + 1));
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0]["stop"], 903);
  EXPECT_TRUE(runs[0]["figure"].is_null());
  EXPECT_EQ(dir.read("Tarnoval.Dat"), "MYBOX\n");
}

// A name cut inside a character reads the same from the record file and
// from the log.
TEST(LogAndReport, ACutNameIsOneMachine) {
  NEEDS_FAKE_CLOCK();
  const ScratchDir dir;
  dir.write("Tarnoval.Dat", std::string(45, 'x') + "cut\xE2\x82\xAC\n");
  RunOptions o = clock_from("2026-12-08 12:00:00");
  o.arguments = {"--log", "runs.jsonl"};
  ASSERT_EQ(run_program(dir, "1000\n", o).exit_status, 0);
  o = RunOptions{};
  o.arguments = {"--report", "--format", "json", "--all-runs", "Tarnoval.Dat", "runs.jsonl"};
  const nlohmann::json report = nlohmann::json::parse(run_program(dir, "", o).out);
  ASSERT_EQ(report["machines"].size(), 2u);  // the record line knows no digits, the log line does
  EXPECT_EQ(report["machines"][0]["machine"], report["machines"][1]["machine"]);
}

// Any number of files, each counted once whatever its name; output that
// cannot be written fails the report.
TEST(LogAndReport, ManyFilesAndOutputThatCannotBeWritten) {
  const ScratchDir dir;
  RunOptions o;
  o.arguments = {"--report", "--format", "csv"};
  for (int i = 1; i <= 50; ++i) {
    dir.write("f" + std::to_string(i), added_line("machine " + std::to_string(i), "   491520.0    "));
    o.arguments.push_back("f" + std::to_string(i));
  }
  std::filesystem::create_symlink("f1", dir / "link");
  dir.write("empty", "");
  o.arguments.insert(o.arguments.end(), {"f1", "link", "empty", "empty"});
  Outcome r = run_program(dir, "", o);
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 51) << r.out;
  EXPECT_NE(r.out.find("\nmachine 1,,1,"), std::string::npos) << r.out;

  // A reference that no file names is an error, also where no file holds a run.
  o.arguments = {"--report", "--reference", "", "f1"};
  r = run_program(dir, "", o);
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_EQ(r.err, "pibench: no machine named ''; the machines are 'machine 1' (see pibench --help)\n");
  o.arguments = {"--report", "--reference", "x", "empty"};
  r = run_program(dir, "", o);
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_EQ(r.err, "pibench: no machine named 'x': the files hold no runs (see pibench --help)\n");

  SKIP_ON_WINDOWS("no file-size limit");
  o.arguments = {"--report", "f1", "f2"};
  o.file_size_limit = 100;
  r = run_program(dir, "", o);
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "pibench: cannot write the report to standard output\n");
}

// A log through a pipe or standard input is read as a file is, its lines
// whatever their length; a run read twice counts once; a log that holds no
// run is not said to lack record lines.
TEST(LogAndReport, PipesLongLinesAndRunsReadTwice) {
  const ScratchDir dir;
  std::string log;
  std::string slices;
  for (int i = 0; i < 1200; ++i) slices += (i == 0 ? "" : ",") + std::string("5572.0");
  for (int place = 1; place <= 3; ++place) {
    log += R"({"pibench":"1.1.0","batch":"b1","run":)" + std::to_string(place) +
           R"(,"identifier":"box","digits":400,"precise_figure":)" + std::to_string(100 + place) +
           R"(,"result":"correct","slices":[)" + slices + "]}\n";
  }
  ASSERT_GT(log.size(), 3 * 8000u);
  dir.write("runs.jsonl", log);
  dir.write("copy.jsonl", log);
  const auto json_report = [&](const std::vector<std::string>& files, const std::vector<std::string>& prefix = {}) {
    RunOptions o;
    o.prefix = prefix;
    o.arguments = {"--report", "--format", "json"};
    o.arguments.insert(o.arguments.end(), files.begin(), files.end());
    const Outcome r = run_program(dir, log, o);
    EXPECT_EQ(r.exit_status, 0) << r.err;
    return nlohmann::json::parse(r.out, nullptr, false);
  };
  nlohmann::json report = json_report({"runs.jsonl", "copy.jsonl"});
  ASSERT_EQ(report["machines"].size(), 1u);
  EXPECT_EQ(report["machines"][0]["runs"], 3);
  EXPECT_EQ(report["repeated_lines"], 3);
  EXPECT_EQ(json_report({"runs.jsonl"}).count("repeated_lines"), 0u);
  EXPECT_EQ(json_report({"-"})["machines"][0]["runs"], 3);
  SKIP_ON_WINDOWS("pipes by name");
  for (const char* name : {"/dev/stdin", "-"}) {
    report = json_report({name}, {"bash", "-c", "cat runs.jsonl | \"$@\"", "bash"});
    EXPECT_EQ(report["machines"][0]["runs"], 3) << name;
  }
  RunOptions o;
  o.arguments = {"--report", "."};
  Outcome r = run_program(dir, "", o);
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "pibench: cannot read '.' (see pibench --help)\n");
  dir.write("failed.jsonl", R"({"pibench":"1.1.0","identifier":"box","digits":400,"result":"wrong"})"
                            "\n");
  o.arguments = {"--report", "failed.jsonl"};
  r = run_program(dir, "", o);
  EXPECT_EQ(r.out, "No runs in failed.jsonl: nothing to compare (1 other line skipped).\n");
}

// The text table keeps to the columns of the terminal it is shown on
// (COLUMNS, else the terminal's own) and to 100 elsewhere, cutting names
// with "…"; --wide keeps every column.
TEST(LogAndReport, TheTextTableFitsTheTerminal) {
  SKIP_ON_WINDOWS("no pseudo-terminal for a program under wine");
  const ScratchDir dir;
  const std::string name(45, 'n');
  dir.write("Tarnoval.Dat",
            name + "\n" + added_line(name, "   491520.0    ") + "short\n" + added_line("short", "   409600.0    "));
  // The lines of the table, and the widest of them.
  const auto table = [&](const std::vector<std::string>& env, std::vector<std::string> arguments) {
    RunOptions o;
    o.env = env;
    o.arguments = std::move(arguments);
    // On a pseudo-terminal of its own, which ends its lines with CR LF.
    if (!env.empty()) o.prefix = {"sh", "-c", "exec script -qec \"$*\" /dev/null", "sh"};
    std::string out = run_program(dir, "", o).out;
    std::erase(out, '\r');
    std::size_t widest = 0;
    std::istringstream lines(out.substr(0, out.find("\n\n")));
    for (std::string line; std::getline(lines, line);) widest = std::max(widest, runtime::display_width(line));
    return std::pair{out, widest};
  };
  const std::string cut = std::string(36, 'n') + "\xE2\x80\xA6";
  const auto [off_terminal, off_width] = table({}, {"--report"});
  EXPECT_LE(off_width, 100u) << off_terminal;
  EXPECT_NE(off_terminal.find("\n" + cut + " "), std::string::npos) << off_terminal;
  const auto [narrow, narrow_width] = table({"COLUMNS=80"}, {"--report"});
  EXPECT_LE(narrow_width, 80u) << narrow;
  EXPECT_NE(narrow.find("\nshort "), std::string::npos) << narrow;
  const auto [wide, wide_width] = table({"COLUMNS=200"}, {"--report"});
  EXPECT_NE(wide.find("\n" + name + " "), std::string::npos) << wide;
  EXPECT_LT(wide_width, 120u) << wide;
  const auto [every_column, every_width] = table({}, {"--report", "--wide"});
  EXPECT_NE(every_column.find(" digits    runs   batches      median         best"), std::string::npos) << every_column;
  EXPECT_GT(every_width, 200u);
}

}  // namespace

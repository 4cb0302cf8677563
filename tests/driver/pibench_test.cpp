// The whole program: exact console, standard error, exit status and files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/format.hpp"
#include "tests/driver/program.hpp"
#include "tests/mp/mpfr_decimals.hpp"

namespace {

const std::string kBanner =
    " This is a computing power benchmark based on PI number calculation.\n"
    " This program updates Tarnoval.Dat file:  50 characters of a compurer\n"
    " identifier, e.g., [DEC 3000-600s AXP alpha station], are appended with\n"
    " the benchmark value.  The last line of the file is thought to contain\n"
    " YOUR COMPUTER NAME, which will be appended with its behchmark parameter\n"
    " if the calculation duration is more than 1 second (the timing precision).\n"
    " The last Tarnoval.Dat line is copied before updating.\n"
    " Hit Ctrl-Z to quit.\n";
const std::string kPrompt = " Enter number of digits for pi [4;64000] ";
const std::string kBlank50(50, ' ');

// The program's peak memory stays small, whatever the run or the record file.
void expect_small_peak_memory(const Outcome& r) {
  if (kSanitized) return;  // the sanitizer's memory, not the program's
  if (!target().emulator.empty()) {
    std::cout << "peak memory not checked: " << target().emulator[0] << " measures itself\n";
    return;
  }
  EXPECT_LT(r.max_rss_kb, 8 * 1024);
}

// Under an emulator or a sanitizer, smaller runs: what is tested is the
// files, not the speed, and a run there is many times slower.
std::string emulated_or(const std::string& native, const std::string& emulated) {
  return target().emulator.empty() && !kSanitized ? native : emulated;
}

// A result file whose old content, starting with '#', the run has not yet dropped.
bool still_stale(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return in.get() == '#';
}

std::string echo(const std::string& answer_value) { return "\n " + answer_value + " has been entered.\n"; }

// The decimals of a constant in rows of 25 four-digit groups, labelled as
// the program labels them: `count` groups, truncated.
std::string digit_rows(const std::string& label, int column, const std::string& decimals, int groups) {
  std::string out = label;
  for (int g = 0; g < groups; ++g) {
    if (g > 0 && g % 25 == 0) out += "\n" + std::string(static_cast<std::size_t>(column - 1), ' ');
    out += decimals.substr(static_cast<std::size_t>(g) * 4, 4);
  }
  return out + "\n";
}

std::string expected_pi_out(int digits) {
  const int groups = digits / 4;
  return digit_rows(" ArcTangent( 1 / 5 ) = 0.", 26, mpfr_decimals(Constant::kArctan5, digits), groups) +
         digit_rows(" ArcTangent( 1/239 ) = 0.", 26, mpfr_decimals(Constant::kArctan239, digits), groups) +
         digit_rows(" Pi = 3.", 9, mpfr_decimals(Constant::kPi, digits), groups);
}

std::string computation_lines(int k5, int k239) {
  return " Calculating arctg(1/5).\n Expansion length is considered: " + std::to_string(k5) +
         "\n\n Calculating arctg(1/239).\n Expansion length is considered: " + std::to_string(k239) +
         "\n\n Calculating arctg(1/5)*4.\n Calculating arctg(1/5)*4-arctg(1/239).\n"
         " Calculating pi=(arctg(1/5)*4-arctg(1/239))*4.\n";
}

TEST(Pibench, TypicalRunOf1000Digits) {
  NEEDS_FAKE_CLOCK();
  const ScratchDir dir;
  dir.write("Tarnoval.Dat", "DEC 3000-600s AXP alpha station\n");
  const Outcome r = run_program(dir, "1000\n", clock_from("2026-12-08 21:04:05"));
  const std::string tst =
      " Speed test data: dimension is   251\n Start time 21:04:05\n End time   21:04:10\n Duration is  2. sec\n";
  EXPECT_EQ(r.out, kBanner + kPrompt + echo("1000") + " 1000 has been accepted.\n" +
                       " Speed test data: dimension is   251\n Start time 21:04:05\n" + computation_lines(717, 212) +
                       " End time   21:04:10\n Duration is  2. sec\n" +
                       " DEC 3000-600s AXP alpha station                     300.\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(dir.read("PI.Tst"), tst);
  EXPECT_EQ(dir.read("PI.OUT"), expected_pi_out(1000));
  EXPECT_EQ(dir.read("Tarnoval.Dat"),
            "DEC 3000-600s AXP alpha station\n" + added_line("DEC 3000-600s AXP alpha station"));
}

TEST(Pibench, SmallestRunsAndAFigureInExponentForm) {
  NEEDS_FAKE_CLOCK();
  struct Case {
    std::string answer, echoed, accepted, dimension;
    int k5, k239;
    std::string figure_console, figure_file;
  };
  const Case cases[] = {
      {"4\n", "4", "4", "    2", 6, 3, "  0.00480000023", "   .4800000E-02"},
      {"5\n", "5", "8", "    3", 9, 3, "  0.0192000009", "   .1920000E-01"},
  };
  for (const Case& c : cases) {
    const ScratchDir dir;
    const Outcome r = run_program(dir, c.answer, clock_from("2026-12-08 09:03:07"));
    EXPECT_EQ(r.out, kBanner + kPrompt + echo(c.echoed) + " " + c.accepted + " has been accepted.\n" +
                         " Speed test data: dimension is " + c.dimension + "\n Start time 09:03:07\n" +
                         computation_lines(c.k5, c.k239) + " End time   09:03:12\n Duration is  2. sec\n " + kBlank50 +
                         c.figure_console + "\n");
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(dir.read("PI.OUT"), expected_pi_out(std::stoi(c.accepted)));
    EXPECT_EQ(dir.read("Tarnoval.Dat"), added_line("", c.figure_file));
  }
}

TEST(Pibench, LargestRun) {
  NEEDS_FAKE_CLOCK();
  const ScratchDir dir;
  RunOptions o = clock_from("2026-12-08 10:00:00", 100);
  o.measure_memory = true;
  const Outcome r = run_program(dir, "64000\n", o);
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_NE(r.out.find(" Speed test data: dimension is 16001\n"), std::string::npos);
  EXPECT_NE(r.out.find(computation_lines(45782, 13455)), std::string::npos);
  EXPECT_EQ(dir.read("PI.OUT"), expected_pi_out(64000));
  EXPECT_EQ(dir.read("Tarnoval.Dat"), added_line("", "   24576.00    "));
  expect_small_peak_memory(r);
}

// On the real clock, as a user runs it (and as Windows is tested): the
// bytes follow the times and the duration the run itself reports, and a
// duration above a second adds the figure it gives.
//
// The largest run where no fake clock runs one (Windows), else a run long
// enough for a figure: 48000 digits natively, fewer where runs are slower.
TEST(Pibench, RunOnTheRealClock) {
  struct Size {
    int digits;
    std::string dimension;
    std::int32_t k5, k239;
  };
  const Size size = target().windows ? Size{64000, "16001", 45782, 13455}
                    : target().qemu  ? Size{16000, " 4001", 11446, 3365}
                    : kSanitized     ? Size{32000, " 8001", 22892, 6728}
                                     : Size{48000, "12001", 34337, 10092};
  const std::string digits = std::to_string(size.digits);
  const ScratchDir dir;
  dir.write("Tarnoval.Dat", "MYBOX\n");
  RunOptions o;
  o.arguments = {"--log", "runs.jsonl"};  // changes none of the bytes below
  const Outcome r = run_program(dir, digits + "\n", o);
  const std::string tst = dir.read("PI.Tst");
  ASSERT_EQ(tst.substr(0, 37), " Speed test data: dimension is " + size.dimension + "\n");
  const std::string start = tst.substr(37, 21), end = tst.substr(58, 21), duration = tst.substr(79);
  EXPECT_TRUE(start.starts_with(" Start time ") && end.starts_with(" End time   ")) << tst;
  const float seconds = std::stof(duration.substr(12));
  // 0.0006 (single precision) x digits x digits / seconds, rounded once.
  const auto figure_value = static_cast<float>(static_cast<long double>(0.0006f) * size.digits * size.digits / seconds);
  EXPECT_EQ(duration, runtime::ListRecord().text("Duration is").real(seconds).text(" sec").str());
  const std::string figure_line =
      seconds > 1.0f ? " MYBOX" + std::string(45, ' ') + runtime::list_real(figure_value) + "\n" : "";
  EXPECT_EQ(r.out, kBanner + kPrompt + echo(digits) + " " + digits + " has been accepted.\n" +
                       " Speed test data: dimension is " + size.dimension + "\n" + start +
                       computation_lines(size.k5, size.k239) + end + duration + figure_line);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(dir.read("PI.OUT"), expected_pi_out(size.digits));
  const std::string figure = runtime::field_g(figure_value, 15, 7);
  EXPECT_EQ(dir.read("Tarnoval.Dat"), seconds > 1.0f ? "MYBOX\n" + added_line("MYBOX", figure) : "MYBOX\n");

  // The log: one line with every key, the two timings within a second.
  const std::string log = dir.read("runs.jsonl");
  ASSERT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  std::cout << "logged: " << log;
  const auto run = nlohmann::ordered_json::parse(log);
  std::string keys;
  for (const auto& item : run.items()) keys += item.key() + " ";
  EXPECT_EQ(
      keys,
      "pibench build start batch run identifier digits vector_length seconds figure elapsed precise_figure copies "
      "throughput result wrong_from stop cpu_seconds frequency_mhz load_average steal_seconds slices disturbed "
      "disturbed_kinds system ");
  EXPECT_EQ(run["copies"], 1);
  EXPECT_EQ(run["throughput"], run["precise_figure"]);
  EXPECT_EQ(run["slices"].size(), 8u);
  EXPECT_TRUE(run["disturbed"].is_array()) << run["disturbed"];
  EXPECT_EQ(run["seconds"], static_cast<int>(seconds));
  EXPECT_LT(std::abs(run["elapsed"].get<double>() - seconds), 1.0);
  EXPECT_EQ(run["result"], "correct");
  EXPECT_GE(run["system"]["logical_cpus"].get<int>(), 1);
}

// What each end of a run logs, or that it logs nothing; a log that cannot
// be extended is said and fails the run without touching the other files;
// the report reads the log.
TEST(Pibench, RunLogOutcomes) {
  NEEDS_FAKE_CLOCK();
  const ScratchDir dir;
  dir.write("Tarnoval.Dat", "MYBOX\n");
  RunOptions o = clock_from("2026-12-08 12:00:00");
  o.arguments = {"--log", "runs.jsonl"};
  const Outcome plain = run_program(dir, "1000\n", o);
  EXPECT_EQ(plain.exit_status, 0);
  run_program(dir, "", o);  // ends in the dialogue: nothing logged
  o.with_fault = true;
  o.env = {"TZ=UTC", "PIBENCH_FAULT_GROUP=7"};
  const Outcome wrong = run_program(dir, "1000\n", o);
  EXPECT_EQ(wrong.err, "STOP 904 statement executed\n");

  std::istringstream lines(dir.read("runs.jsonl"));
  std::vector<nlohmann::json> runs;
  for (std::string line; std::getline(lines, line);) runs.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0]["start"], "2026-12-08T12:00:01+00:00");
  EXPECT_EQ(runs[0]["identifier"], "MYBOX");
  EXPECT_EQ(runs[0]["seconds"], 2);
  EXPECT_EQ(runs[0]["figure"], 300.0);
  EXPECT_EQ(runs[0]["elapsed"], 2.0);
  EXPECT_EQ(runs[0]["precise_figure"], 300.0);
  EXPECT_EQ(runs[1]["result"], "wrong");
  EXPECT_EQ(runs[1]["wrong_from"], 29);
  EXPECT_EQ(runs[1]["stop"], 904);
  EXPECT_TRUE(runs[1]["identifier"].is_null() && runs[1]["figure"].is_null());

  // On the fake clock the run took 2 s but almost no processor time: it
  // is disturbed, and the report leaves it out unless asked to keep it.
  EXPECT_TRUE(runs[0]["disturbed"][0].get<std::string>().starts_with("cpu share 0.0")) << runs[0]["disturbed"];
  o = RunOptions{};
  o.arguments = {"--report", "--format", "json", "runs.jsonl"};
  const nlohmann::json left_out = nlohmann::json::parse(run_program(dir, "", o).out);
  EXPECT_TRUE(left_out["reference"].is_null());
  EXPECT_EQ(left_out["left_out"], nlohmann::json::parse(R"({"disturbed":1,"by_reason":{"cpu share":1}})"));
  ASSERT_EQ(left_out["machines"].size(), 1u);
  EXPECT_EQ(left_out["machines"][0]["runs"], 0);
  EXPECT_EQ(left_out["machines"][0]["left_out"], 1);
  EXPECT_EQ(left_out["machines"][0]["verdict"], "all runs disturbed (--all-runs keeps them)");
  // Such a machine cannot be the reference, and is not offered as one.
  for (const auto& [name, said] : {std::pair<std::string, std::string>{"MYBOX",
                                                                       "'MYBOX' cannot be the reference: every "
                                                                       "run of it was disturbed"},
                                   {"Bogus", "no machine named 'Bogus': every run in the files was disturbed"}}) {
    o.arguments = {"--report", "--reference", name, "runs.jsonl"};
    const Outcome refused = run_program(dir, "", o);
    EXPECT_EQ(refused.exit_status, 2);
    EXPECT_EQ(refused.err, "pibench: " + said + " (--all-runs keeps them) (see pibench --help)\n");
  }
  // The report counts the correct run only, as a precise figure.
  o.arguments = {"--report", "--format", "csv", "--all-runs", "runs.jsonl"};
  EXPECT_EQ(run_program(dir, "", o).out,
            "machine,digits,runs,batches,median,best,worst,spread,relative,median_low,median_high,relative_low,"
            "relative_high,verdict,basis,disturbed,copies,scaling,left_out\n"
            "MYBOX,1000,1,1,300,300,300,0.0000,1.0000,,,,,reference,,1,1,,0\n");

  if (target().windows) return;  // no file-size limit
  const std::string log_before(8000, '#'), record_before = dir.read("Tarnoval.Dat");
  dir.write("runs.jsonl", log_before);
  o = clock_from("2026-12-08 12:00:00");
  o.arguments = {"--log", "runs.jsonl"};
  o.file_size_limit = 8100;  // room for PI.OUT, not for the log line
  const Outcome full = run_program(dir, "1000\n", o);
  EXPECT_EQ(full.exit_status, 1);
  EXPECT_EQ(full.err, "pibench: cannot write the run log 'runs.jsonl'\n");
  EXPECT_EQ(full.out, plain.out);
  EXPECT_EQ(dir.read("runs.jsonl"), log_before);
  EXPECT_EQ(dir.read("Tarnoval.Dat"), record_before + added_line("MYBOX"));
}

// The report over record files, in every format, changing nothing.
TEST(Pibench, ReportInEveryFormat) {
  const ScratchDir dir;
  const std::string here = "VM, 2 cores\n" + added_line("VM, 2 cores", "   491520.0    ") +
                           added_line("VM, 2 cores", "   409600.0    ") + added_line("VM, 2 cores", "   491520.0    ");
  const std::string there = "Pi <4>\r\n" + added_line("Pi <4>", "   81920.00    ");
  dir.write("Tarnoval.Dat", here);
  dir.write("pi.dat", there);
  dir.write("empty.dat", "");
  struct Case {
    std::vector<std::string> arguments;
    std::string start, end;
  };
  const Case cases[] = {
      {{},
       "machine      runs  batches  median   median 95 %",
       "1 other line skipped.\n--wide shows every column: "
       "best, worst, spread, the ratio itself, the basis of each "
       "verdict,\ncopies and scaling.\n"},
      {{"--wide"}, "machine      digits    runs   batches      median", "1 other line skipped.\n"},
      {{"--format", "markdown", "pi.dat", "Tarnoval.Dat"},
       "| machine | digits |",
       "| Pi \\<4\\> |  | 1\\* | 1 | 81920 | 81920 | 81920 | 0.0% | 0.167 | needs 6 runs | needs 2+2 batches | one "
       "batch: measure again later for a verdict | 1 vs 1 batch | 0 | 1 |  |\n"},
      {{"--format", "csv", "--reference", "Pi <4>", "Tarnoval.Dat", "pi.dat"},
       "machine,digits,runs,batches,median,best,worst,spread,relative,median_low,median_high,relative_low,"
       "relative_high,verdict,basis,disturbed,copies,scaling,left_out\n\"VM, 2 "
       "cores\",,3,1,491520,491520,409600,0.1667,"
       "6.0000,,,,,one batch: measure again later for a verdict,1 vs 1 batch,0,1,,0\n",
       "Pi <4>,,1,1,81920,81920,81920,0.0000,1.0000,,,,,reference,,0,1,,0\n"},
      {{"--format", "json", "Tarnoval.Dat", "pi.dat"},
       "{\n  \"reference\": \"VM, 2 cores\",\n  \"skipped_lines\": 2,",
       "}\n"},
      {{"--format", "svg", "Tarnoval.Dat", "pi.dat"}, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", "</svg>\n"},
      {{"empty.dat"}, "No record lines in empty.dat: nothing to compare (0 other lines skipped).\n", "\n"},
  };
  for (const Case& c : cases) {
    RunOptions o;
    o.arguments = {"--report"};
    o.arguments.insert(o.arguments.end(), c.arguments.begin(), c.arguments.end());
    const Outcome r = run_program(dir, "", o);
    std::string what = "--report";
    for (const std::string& a : c.arguments) what += " " + a;
    EXPECT_EQ(r.exit_status, 0) << what;
    EXPECT_EQ(r.err, "") << what;
    EXPECT_TRUE(r.out.starts_with(c.start)) << what << "\n" << r.out;
    EXPECT_TRUE(r.out.ends_with(c.end)) << what << "\n" << r.out;
  }
  EXPECT_EQ(dir.read("Tarnoval.Dat"), here);
  EXPECT_EQ(dir.read("pi.dat"), there);
}

// --version and --help answer and end normally; any other argument is
// ignored, byte for byte.
TEST(Pibench, CommandLine) {
  const ScratchDir dir;
  RunOptions o;
  o.arguments = {"--version"};
  Outcome r = run_program(dir, "", o);
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_TRUE(r.out.starts_with("pibench 1.1.0\ncompiler: ")) << r.out;
  EXPECT_NE(r.out.find("\nbuild: "), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("NOT optimised"), std::string::npos) << r.out;
  o.arguments = {"--help"};
  r = run_program(dir, "", o);
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_TRUE(r.out.starts_with("Usage: pibench                 run the benchmark\n")) << r.out;
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

  // Anything else is an error that starts nothing.
  const std::filesystem::path folder = dir / "folder";
  std::filesystem::create_directory(folder);
  struct Case {
    std::vector<std::string> arguments;
    std::string error;
  };
  const Case cases[] = {
      {{"--verbose", "--version"}, "unknown option '--verbose'"},
      {{"64000"}, "unexpected argument '64000'"},
      {{"--log"}, "--log needs a file name"},
      {{"--log", "folder"}, "cannot open the run log 'folder' for writing"},
      {{"--report", "--format"}, "--format needs a value"},
      {{"--report", "--format", "xml"}, "unknown format 'xml': text, markdown, csv, json, svg or html"},
      {{"--report", "missing.dat"}, "cannot read 'missing.dat'"},
      {{"--report", "--format", "json", "--format", "csv"}, "--format is given twice"},
      {{"--report", "--all-runs", "--wide", "--all-runs"}, "--all-runs is given twice"},
      {{"--report", "x.dat", "--report"}, "--report is given twice"},
      {{"--log", "Tarnoval.Dat"}, "the run log 'Tarnoval.Dat' is Tarnoval.Dat: give the log a file of its own"},
      {{"--log", "./PI.OUT"}, "the run log './PI.OUT' is PI.OUT: give the log a file of its own"},
      {{"--log", "folder/../PI.Tst"}, "the run log 'folder/../PI.Tst' is PI.Tst: give the log a file of its own"},
  };
  for (const Case& c : cases) {
    o.arguments = c.arguments;
    r = run_program(dir, "64000\n", o);
    EXPECT_EQ(r.exit_status, 2) << c.error;
    EXPECT_EQ(r.out, "") << c.error;
    EXPECT_EQ(
        r.err,
        "pibench: " + c.error +
            (c.error.starts_with("cannot open") || c.error.starts_with("the run log") ? "" : " (see pibench --help)") +
            "\n");
  }
  std::filesystem::remove(folder);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(Pibench, RefusedAnswersAskAgain) {
  const ScratchDir dir;
  const Outcome r = run_program(dir, "3\n\n   \n0\n-5\n64001\n7 8\n", clock_from("2026-12-08 12:00:00", 0));
  const std::string misspelled = " You misspelled. 64000 is maximum. Retry, please.\n";
  const std::string dialogue = kBanner + kPrompt + echo("3") + kPrompt + echo("0") + kPrompt + echo("-5") + kPrompt +
                               echo("64001") + misspelled + kPrompt + echo("7") + " 8 has been accepted.\n";
  EXPECT_EQ(r.out.substr(0, dialogue.size()), dialogue);
  EXPECT_EQ(r.exit_status, 0);
}

// End of input and unreadable answers: stop 901, no message, no files.
TEST(Pibench, UnreadableAnswersStopWith901) {
  struct Case {
    std::string answer, before_stop;
  };
  const Case cases[] = {
      {"", kPrompt},
      {"\n\n  \n", kPrompt},
      {"abc\n", kPrompt},
      {"1000.0\n", kPrompt},
      {"1E3\n", kPrompt},
      {"99999999999\n", kPrompt},
      {"-2147483649\n", kPrompt},
      {"3\n", kPrompt + echo("3") + kPrompt},
      {"64001\n", kPrompt + echo("64001") + " You misspelled. 64000 is maximum. Retry, please.\n" + kPrompt},
  };
  for (const Case& c : cases) {
    const ScratchDir dir;
    const Outcome r = run_program(dir, c.answer);
    EXPECT_EQ(r.out, kBanner + c.before_stop) << c.answer;
    EXPECT_EQ(r.err, "STOP 901 statement executed\n") << c.answer;
    EXPECT_EQ(r.exit_status, 1) << c.answer;
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << c.answer;
  }
}

TEST(Pibench, AnswersReadAsTheLibraryReadsThem) {
  struct Case {
    std::string answer, echoed, accepted;
  };
  const Case cases[] = {
      {"1000abc\n", "1000", "1000"}, {"8\r\n", "8", "8"},       {"\r\n12\n", "12", "12"},
      {"2*40\n", "40", "40"},        {",\n", "16000", "16000"},
  };
  for (const Case& c : cases) {
    const ScratchDir dir;
    const Outcome r = run_program(dir, c.answer, clock_from("2026-12-08 12:00:00", 0));
    EXPECT_NE(r.out.find(kPrompt + echo(c.echoed) + " " + c.accepted + " has been accepted.\n"), std::string::npos)
        << c.answer;
    EXPECT_EQ(r.exit_status, 0);
  }
}

// A duration of 0 or 1 second, or the same second: no figure, no record file.
TEST(Pibench, NoFigureWithoutMoreThanOneSecond) {
  NEEDS_FAKE_CLOCK();
  for (int step : {0, 1}) {
    const ScratchDir dir;
    const Outcome r = run_program(dir, "100\n", clock_from("2026-12-08 12:00:00", step));
    EXPECT_TRUE(r.out.ends_with(" Duration is  " + std::to_string(step) + ". sec\n")) << r.out;
    EXPECT_FALSE(std::filesystem::exists(dir / "Tarnoval.Dat"));
    EXPECT_EQ(r.exit_status, 0);
  }
}

// The true elapsed time across midnight and a change to summer time.
TEST(Pibench, DurationAcrossMidnightAndClockChange) {
  NEEDS_FAKE_CLOCK();
  struct Case {
    std::string start, zone, start_text, end_text;
  };
  const Case cases[] = {
      {"2026-12-08 23:59:30", "UTC", "23:59:30", "00:00:20"},
      {"2026-03-29 01:59:30", "Europe/Berlin", "01:59:30", "03:00:20"},
  };
  for (const Case& c : cases) {
    const ScratchDir dir;
    const Outcome r = run_program(dir, "1000\n", clock_from(c.start, 20, c.zone));
    EXPECT_EQ(dir.read("PI.Tst"), " Speed test data: dimension is   251\n Start time " + c.start_text +
                                      "\n End time   " + c.end_text + "\n Duration is  20. sec\n");
    EXPECT_EQ(dir.read("Tarnoval.Dat"), added_line("", "   30.00000    ")) << c.zone;
  }
}

// The calendar clock set forward or back by an hour during the timed
// interval (as PI.OUT's first block is written): the duration and the figure
// are the monotonic clock's, in whole seconds.
TEST(Pibench, DurationSurvivesAClockSetDuringTheRun) {
  NEEDS_FAKE_CLOCK();
  const std::string answer = emulated_or("48000\n", "8000\n");
  for (const std::string step : {"+3600", "-3600"}) {
    const ScratchDir dir, clock;
    clock.write("offset", "+0");
    dir.write("Tarnoval.Dat", "MYBOX\n");
    dir.write("PI.OUT", "#");
    std::thread stepper;
    RunOptions o;
    o.fake_time_file = (clock / "offset").string();
    o.started = [&](pid_t pid) {
      stepper = std::thread([&, pid] {
        while (still_stale(dir / "PI.OUT") && kill(pid, 0) == 0)
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        clock.write("offset", step);
      });
    };
    const auto begin = std::chrono::steady_clock::now();
    const Outcome r = run_program(dir, answer, o);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    stepper.join();
    const std::string tst = dir.read("PI.Tst");
    const float duration = std::stof(tst.substr(tst.find("Duration is") + 11));
    EXPECT_LE(duration, wall + 0.5) << step << ": " << tst;
    EXPECT_GE(duration, wall - 1.5) << step << ": " << tst;
    EXPECT_EQ(r.exit_status, 0) << step;
    if (duration > 1.0f) {
      const long double digits = static_cast<float>(std::stoi(answer));
      const auto figure = static_cast<float>(static_cast<long double>(0.0006f) * digits * digits / duration);
      EXPECT_EQ(dir.read("Tarnoval.Dat"), "MYBOX\n" + added_line("MYBOX", runtime::field_g(figure, 15, 7))) << step;
    }
  }
}

TEST(Pibench, RecordFileIdentifierRules) {
  NEEDS_FAKE_CLOCK();
  struct Case {
    std::string before, after;
  };
  const std::string id70(70, 'x');
  const Case cases[] = {
      {"", added_line("")},
      {"ABCD\n", "ABCD\n" + added_line("ABCD")},
      {id70 + "\n", id70 + "\n" + added_line(std::string(50, 'x'))},
      {"first\nMYBOX", "first\nMYBOX\n" + added_line("MYBOX")},
      {"WIN\r\n", "WIN\r\n" + added_line("WIN")},
      {std::string("N\0L\n", 4), std::string("N\0L\n", 4) + added_line(std::string("N\0L", 3))},
      // a two-byte character across column 50: the identifier is its first byte
      {std::string(49, 'u') + "\xc3\xa9tage\n",
       std::string(49, 'u') + "\xc3\xa9tage\n" + added_line(std::string(49, 'u') + "\xc3")},
  };
  for (const Case& c : cases) {
    const ScratchDir dir;
    if (!c.before.empty()) dir.write("Tarnoval.Dat", c.before);
    const Outcome r = run_program(dir, "1000\n", clock_from("2026-12-08 12:00:00"));
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(dir.read("Tarnoval.Dat"), c.after) << c.before;
  }
}

TEST(Pibench, TwoRunsAddTwoLinesWithTheSameIdentifier) {
  NEEDS_FAKE_CLOCK();
  const ScratchDir dir;
  dir.write("Tarnoval.Dat", "MYBOX\n");
  run_program(dir, "1000\n", clock_from("2026-12-08 12:00:00"));
  run_program(dir, "1000\n", clock_from("2026-12-08 12:00:00"));
  EXPECT_EQ(dir.read("Tarnoval.Dat"), "MYBOX\n" + added_line("MYBOX") + added_line("MYBOX"));
}

// Files that cannot be opened, written or extended. Whatever stop ends a
// run, it leaves one log line; a result only where the timed computation
// ran to its end.
TEST(Pibench, FileFaultsStopWithTheirCodes) {
  struct Case {
    std::string what;
    void (*prepare)(const ScratchDir&);
    long size_limit;
    std::string last_line, stop;
    bool before_the_clock = false;  // the stop comes before a duration matters
    bool timed_to_the_end = false;
    std::vector<std::string> arguments = {};
  };
  const auto nothing = [](const ScratchDir&) {};
  const Case cases[] = {
      {"PI.Tst a directory", [](const ScratchDir& d) { std::filesystem::create_directory(d / "PI.Tst"); }, -1,
       " Error opening Pi.Tst\n", "1000", true},
      {"PI.OUT a directory", [](const ScratchDir& d) { std::filesystem::create_directory(d / "PI.OUT"); }, -1,
       " Error opening Pi.Out\n", "1001", true},
      {"PI.OUT past the file-size limit", nothing, 1000, " Write error.\n", "903"},
      {"PI.OUT full in the second series",
       nothing,
       12800,
       " Write error.\n",
       "903",
       false,
       false,
       {"--digits", "8000"}},
      {"PI.OUT full in the first copy's second series",
       nothing,
       12800,
       " Write error.\n",
       "903",
       false,
       false,
       {"--digits", "8000", "--copies", "2"}},
      {"Tarnoval.Dat a directory",
       [](const ScratchDir& d) {
         std::filesystem::remove(d / "Tarnoval.Dat");
         std::filesystem::create_directory(d / "Tarnoval.Dat");
       },
       -1, " Error opening Tarnoval.Dat\n", "1002", false, true},
      {"Tarnoval.Dat past the file-size limit",
       [](const ScratchDir& d) { d.write("Tarnoval.Dat", std::string(5000, '#') + "\nMYBOX\n"); }, 5020,
       " Error reading/writing benchmark file.\n", "912", false, true},
  };
  for (const Case& c : cases) {
    if (target().windows && !c.before_the_clock) {
      std::cout << "not on Windows (no fake clock or file-size limit): " << c.what << "\n";
      continue;
    }
    const ScratchDir dir;
    dir.write("Tarnoval.Dat", "MYBOX\n");
    c.prepare(dir);
    const std::string record_before =
        std::filesystem::is_regular_file(dir / "Tarnoval.Dat") ? dir.read("Tarnoval.Dat") : "";
    RunOptions options = clock_from("2026-12-08 12:00:00");
    options.file_size_limit = c.size_limit;
    // A limit below a log line's length leaves no room for the log.
    const bool logged = c.size_limit < 0 || c.size_limit > 4000;
    options.arguments = c.arguments;
    if (logged) options.arguments.insert(options.arguments.end(), {"--log", "runs.jsonl"});
    const Outcome r = run_program(dir, "1000\n", options);
    ASSERT_GE(r.out.size(), c.last_line.size()) << c.what;
    EXPECT_EQ(r.out.substr(r.out.size() - c.last_line.size()), c.last_line) << c.what;
    EXPECT_EQ(r.err, "STOP " + c.stop + " statement executed\n") << c.what;
    EXPECT_EQ(r.exit_status, 1) << c.what;
    if (!record_before.empty()) {
      EXPECT_EQ(dir.read("Tarnoval.Dat"), record_before) << c.what;
    }
    if (!logged) continue;
    const std::vector<nlohmann::json> runs = log_lines(dir.read("runs.jsonl"));
    ASSERT_EQ(runs.size(), 1u) << c.what;
    EXPECT_EQ(runs[0]["stop"], std::stoi(c.stop)) << c.what;
    EXPECT_EQ(runs[0]["result"], c.timed_to_the_end ? nlohmann::json("correct") : nlohmann::json()) << c.what;
    EXPECT_EQ(runs[0]["precise_figure"].is_null(), !c.timed_to_the_end) << c.what;
    EXPECT_TRUE(runs[0]["figure"].is_null()) << c.what;
  }
}

// PI.Tst keeps what was written before the failure; a first write that
// cannot fit keeps PI.OUT's old content.
TEST(Pibench, WriteFailureKeepsWhatWasWrittenBefore) {
  SKIP_ON_WINDOWS("no file-size limit");
  const ScratchDir dir;
  dir.write("PI.Tst", std::string(500, 'o'));
  dir.write("PI.OUT", "old digits\n");
  RunOptions o = clock_from("2026-12-08 12:00:00");
  o.file_size_limit = 1000;  // below the first block of PI.OUT
  const Outcome r = run_program(dir, "1000\n", o);
  EXPECT_EQ(r.err, "STOP 903 statement executed\n");
  EXPECT_EQ(dir.read("PI.Tst"), " Speed test data: dimension is   251\n Start time 12:00:00\n");
  EXPECT_EQ(dir.read("PI.OUT"), "old digits\n");
}

// As an unprivileged user: read-only files and a directory where nothing
// can be created.
TEST(Pibench, ReadOnlyFilesAsAnUnprivilegedUser) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to change user";
  SKIP_ON_WINDOWS("wine keeps its prefix in the user's home");
  const std::vector<std::string> as_nobody{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
  // A copy of the program where nobody can reach it: the build may lie in a
  // directory only its owner may enter.
  const ScratchDir bin;
  chmod(bin.path().c_str(), 0755);
  const auto copy_for_nobody = [&](const std::filesystem::path& file) {
    const std::filesystem::path copy = bin / file.filename();
    std::filesystem::copy_file(file, copy);
    chmod(copy.c_str(), 0755);
    return copy.string();
  };
  const std::string program = copy_for_nobody(target().program);
  std::string fake_clock;  // the libraries, a list separated by colons
  std::istringstream libraries(target().fake_time_library);
  for (std::string library; std::getline(libraries, library, ':');) {
    fake_clock += (fake_clock.empty() ? "" : ":") + copy_for_nobody(library);
  }
  // A run as nobody in a writable directory where `name` may only be read.
  const auto run_with_read_only = [&](const ScratchDir& dir, const std::string& name, const std::string& content,
                                      const std::vector<std::string>& arguments = {}) {
    dir.write(name, content);
    chmod((dir / name).c_str(), 0444);
    chmod(dir.path().c_str(), 0777);
    RunOptions o = clock_from("2026-12-08 12:00:00");
    o.prefix = as_nobody;
    o.program = program;
    o.fake_time_library = fake_clock;
    o.arguments = arguments;
    return run_program(dir, "1000\n", o);
  };
  {
    const ScratchDir dir;
    const Outcome r = run_with_read_only(dir, "PI.OUT", "old digits\n");
    EXPECT_EQ(r.err, "STOP 903 statement executed\n");
    EXPECT_EQ(dir.read("PI.OUT"), "old digits\n");
    EXPECT_EQ(dir.read("PI.Tst"), " Speed test data: dimension is   251\n Start time 12:00:00\n");
  }
  {
    const ScratchDir dir;
    const Outcome r = run_with_read_only(dir, "Tarnoval.Dat", "MYBOX\n", {"--log", "runs.jsonl"});
    EXPECT_NE(r.out.find(" MYBOX" + std::string(45, ' ') + "  300.\n Error reading/writing benchmark file.\n"),
              std::string::npos);
    EXPECT_EQ(r.err, "STOP 912 statement executed\n");
    EXPECT_EQ(dir.read("Tarnoval.Dat"), "MYBOX\n");
    // The log names the machine whose line could not be added.
    const nlohmann::json logged = nlohmann::json::parse(dir.read("runs.jsonl"));
    EXPECT_EQ(logged["stop"], 912);
    EXPECT_EQ(logged["identifier"], "MYBOX");
    EXPECT_TRUE(logged["figure"].is_null());
  }
  {
    const ScratchDir dir;
    dir.write("PI.Tst", "kept\n");
    chmod(dir.path().c_str(), 0555);
    RunOptions o;
    o.prefix = as_nobody;
    o.program = program;
    const Outcome r = run_program(dir, "1000\n", o);
    EXPECT_EQ(r.out.substr(r.out.size() - 22), " Error opening Pi.Out\n");
    EXPECT_EQ(r.err, "STOP 1001 statement executed\n");
    EXPECT_EQ(dir.read("PI.Tst"), "kept\n");
  }
}

// A wrong result, from a faulty machine: stop 904 with the first wrong
// decimal, PI.OUT and PI.Tst kept as evidence, no figure recorded.
TEST(Pibench, WrongResultStopsWithoutAFigure) {
  struct Case {
    std::string fault_group;  // empty: no fault
    std::string last_line, err;
  };
  const Case cases[] = {
      {"", " MYBOX" + std::string(45, ' ') + "  300.\n", ""},
      {"0", " The result is wrong from decimal 1\n", "STOP 904 statement executed\n"},
      {"124", " The result is wrong from decimal 497\n", "STOP 904 statement executed\n"},
      {"249", " The result is wrong from decimal 997\n", "STOP 904 statement executed\n"},
  };
  for (const Case& c : cases) {
    if (target().windows && c.err.empty()) {
      std::cout << "not on Windows (no fake clock): the figure of the run without a fault\n";
      continue;
    }
    const ScratchDir dir;
    dir.write("Tarnoval.Dat", "MYBOX\n");
    RunOptions o = clock_from("2026-12-08 12:00:00");
    o.with_fault = true;
    if (!c.fault_group.empty()) o.env.push_back("PIBENCH_FAULT_GROUP=" + c.fault_group);
    const Outcome r = run_program(dir, "1000\n", o);
    ASSERT_GE(r.out.size(), c.last_line.size());
    EXPECT_EQ(r.out.substr(r.out.size() - c.last_line.size()), c.last_line) << c.fault_group;
    EXPECT_EQ(r.err, c.err) << c.fault_group;
    EXPECT_EQ(r.exit_status, c.err.empty() ? 0 : 1) << c.fault_group;
    EXPECT_EQ(dir.read("Tarnoval.Dat"), c.err.empty() ? "MYBOX\n" + added_line("MYBOX") : "MYBOX\n");
    EXPECT_EQ(dir.read("PI.Tst").size(), 100u) << c.fault_group;
    const std::string pi_out = dir.read("PI.OUT"), right = expected_pi_out(1000);
    EXPECT_EQ(pi_out.size(), right.size());
    EXPECT_EQ(pi_out == right, c.err.empty()) << c.fault_group;
  }
}

// An uninterrupted run: its PI.OUT, and random moments well inside it, so
// that a signal always lands before the run ends, on a machine of any speed.
struct WholeRun {
  std::string pi_out;
  int duration_ms;
  int moment(std::mt19937& rng) const { return std::uniform_int_distribution<int>(0, duration_ms * 4 / 10)(rng); }
};

WholeRun run_whole(const std::string& answer) {
  const ScratchDir dir;
  const auto start = std::chrono::steady_clock::now();
  run_program(dir, answer);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  return {dir.read("PI.OUT"), int(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count())};
}

// When a signal comes: after a delay, or as soon as PI.OUT's old content is gone.
constexpr int kAtFirstPiOutWrite = -1;

// A run of `answer` digits ended by `sig` at `delay_ms`, over result files
// longer than it writes: it ends by the signal, each result file is either
// untouched or a prefix of this run's bytes (`pi_out` for PI.OUT), and the
// record file is untouched.
void expect_interrupted_run_leaves_no_mix(int sig, int delay_ms, const std::string& answer, const std::string& pi_out) {
  const ScratchDir dir;
  const std::string stale_tst(4000, '#'), stale_out(pi_out.size() + 1000, '#');
  dir.write("PI.Tst", stale_tst);
  dir.write("PI.OUT", stale_out);
  dir.write("Tarnoval.Dat", "MYBOX\n");
  std::thread killer;
  RunOptions o;
  o.started = [&](pid_t pid) {
    killer = std::thread([pid, sig, delay_ms, pi_out_file = dir / "PI.OUT"] {
      if (delay_ms == kAtFirstPiOutWrite) {
        while (still_stale(pi_out_file) && kill(pid, 0) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
      }
      kill(pid, sig);
    });
  };
  const Outcome r = run_program(dir, answer, o);
  killer.join();
  const std::string when =
      strsignal(sig) + std::string(delay_ms == kAtFirstPiOutWrite ? " at PI.OUT's first write"
                                                                  : " after " + std::to_string(delay_ms) + " ms");
  EXPECT_EQ(r.signal, sig) << when;
  EXPECT_EQ(dir.read("Tarnoval.Dat"), "MYBOX\n") << when;
  const std::string tst = dir.read("PI.Tst"), out = dir.read("PI.OUT");
  EXPECT_TRUE(tst == stale_tst || tst.find('#') == std::string::npos) << when << ": " << tst.substr(0, 80);
  EXPECT_TRUE(out == stale_out || pi_out.compare(0, out.size(), out) == 0) << when << ": " << out.substr(0, 80);
  if (delay_ms == kAtFirstPiOutWrite) {
    EXPECT_NE(out, stale_out) << when;
  }
}

TEST(Pibench, InterruptedRunsEndByTheSignal) {
  SKIP_ON_WINDOWS("POSIX signals; the console events have no test driver under wine");
  const std::string answer = emulated_or("32000\n", "8000\n");
  const WholeRun whole = run_whole(answer);
  std::mt19937 rng(99);
  for (int round = 0; round < 12; ++round) {
    const int moment = round >= 10 ? kAtFirstPiOutWrite : whole.moment(rng);
    expect_interrupted_run_leaves_no_mix(round % 2 == 0 ? SIGINT : SIGTERM, moment, answer, whole.pi_out);
  }
}

// The other signals that end a process, SIGKILL among them: the files are
// right by construction, with no handler involved.
TEST(Pibench, EverySignalThatEndsTheRunLeavesNoMixedFiles) {
  SKIP_ON_WINDOWS("POSIX signals");
  const rlimit no_core{0, 0};
  setrlimit(RLIMIT_CORE, &no_core);
  const std::string answer = emulated_or("30000\n", "8000\n");
  const WholeRun whole = run_whole(answer);
  std::mt19937 rng(7);
  for (const int sig : {SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGKILL}) {
    expect_interrupted_run_leaves_no_mix(sig, whole.moment(rng), answer, whole.pi_out);
  }
  for (const int sig : {SIGHUP, SIGKILL}) {
    expect_interrupted_run_leaves_no_mix(sig, kAtFirstPiOutWrite, answer, whole.pi_out);
  }
}

// Closed standard streams are the null device: console lines and the stop
// message never land in a result file. (The real clock: libfaketime would
// take a closed descriptor itself.)
TEST(Pibench, ClosedStandardStreamsNeverReachAResultFile) {
  SKIP_ON_WINDOWS("wine itself needs the standard descriptors");
  const auto records_of = [](const std::string& tst) {
    std::string shape;
    for (std::size_t at = 0; at < tst.size(); at = tst.find('\n', at) + 1) shape += tst.substr(at, 12) + "|";
    return shape;
  };
  const std::string two_records = " Speed test | Start time |";
  struct Case {
    std::vector<int> closed;
    bool full_pi_out;  // PI.OUT past a file-size limit: stop 903 after two PI.Tst records
    int exit_status;
    std::string tst_records;
  };
  const Case cases[] = {
      {{1}, false, 0, two_records + " End time   | Duration is|"},
      {{2}, true, 1, two_records},
      {{1, 2}, true, 1, two_records},
      {{0}, false, 1, ""},
      {{0, 1, 2}, false, 1, ""},
  };
  for (const Case& c : cases) {
    const ScratchDir dir;
    RunOptions o;
    o.closed = c.closed;
    if (c.full_pi_out) o.file_size_limit = 1000;
    const Outcome r = run_program(dir, "1000\n", o);
    std::string what = "closed";
    for (const int fd : c.closed) what += " " + std::to_string(fd);
    EXPECT_EQ(r.exit_status, c.exit_status) << what;
    EXPECT_EQ(std::filesystem::exists(dir / "PI.Tst") ? records_of(dir.read("PI.Tst")) : "", c.tst_records) << what;
    if (c.exit_status == 0) {
      EXPECT_EQ(dir.read("PI.OUT"), expected_pi_out(1000)) << what;
    }
  }
}

// A file that never ends or never takes its bytes (a FIFO, a device) is one
// that cannot be opened, at once; the null device takes the file's place,
// and a run over it ends normally.
TEST(Pibench, FilesThatAreNotRegularFiles) {
  SKIP_ON_WINDOWS("no FIFOs or device files in a Windows folder");
  const auto fifo = [](const std::filesystem::path& p) { mkfifo(p.c_str(), 0644); };
  const auto zero = [](const std::filesystem::path& p) { std::filesystem::create_symlink("/dev/zero", p); };
  const auto full = [](const std::filesystem::path& p) { std::filesystem::create_symlink("/dev/full", p); };
  const auto null = [](const std::filesystem::path& p) { std::filesystem::create_symlink("/dev/null", p); };
  struct Case {
    std::string file, what;
    void (*make)(const std::filesystem::path&);
    int exit_status;
    std::string last_line;
  };
  const Case cases[] = {
      {"Tarnoval.Dat", "FIFO", fifo, 1, " Error opening Tarnoval.Dat\n"},
      {"Tarnoval.Dat", "/dev/zero", zero, 1, " Error opening Tarnoval.Dat\n"},
      {"Tarnoval.Dat", "/dev/null", null, 0, " " + kBlank50 + "  300.\n"},
      {"PI.Tst", "FIFO", fifo, 1, " Error opening Pi.Tst\n"},
      {"PI.Tst", "/dev/full", full, 1, " Error opening Pi.Tst\n"},
      {"PI.Tst", "/dev/null", null, 0, " " + kBlank50 + "  300.\n"},
      {"PI.OUT", "FIFO", fifo, 1, " Error opening Pi.Out\n"},
      {"PI.OUT", "/dev/zero", zero, 1, " Error opening Pi.Out\n"},
      {"PI.OUT", "/dev/null", null, 0, " " + kBlank50 + "  300.\n"},
  };
  for (const Case& c : cases) {
    const ScratchDir dir;
    c.make(dir / c.file);
    std::thread watchdog;
    std::atomic<bool> done = false;
    RunOptions o = clock_from("2026-12-08 12:00:00");
    o.started = [&](pid_t pid) {
      watchdog = std::thread([pid, &done] {
        for (int i = 0; i < 100 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!done) kill(pid, SIGKILL);
      });
    };
    const Outcome r = run_program(dir, "1000\n", o);
    done = true;
    watchdog.join();
    const std::string what = c.file + " as " + c.what;
    EXPECT_EQ(r.signal, 0) << what << " hangs";
    EXPECT_EQ(r.exit_status, c.exit_status) << what;
    ASSERT_GE(r.out.size(), c.last_line.size()) << what;
    EXPECT_EQ(r.out.substr(r.out.size() - c.last_line.size()), c.last_line) << what;
  }
}

// Record files that are large or odd: time grows with the size, memory does not.
TEST(Pibench, LargeRecordFiles) {
  NEEDS_FAKE_CLOCK();
  const auto run_with = [](const std::string& content, const std::string& identifier) {
    const ScratchDir dir;
    dir.write("Tarnoval.Dat", content);
    const auto begin = std::chrono::steady_clock::now();
    RunOptions o = clock_from("2026-12-08 12:00:00");
    o.measure_memory = true;
    const Outcome r = run_program(dir, "1000\n", o);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    EXPECT_EQ(r.exit_status, 0);
    expect_small_peak_memory(r);
    const std::string after = dir.read("Tarnoval.Dat");
    EXPECT_EQ(after.size(), content.size() + (content.back() == '\n' ? 0 : 1) + 67);
    EXPECT_EQ(after.substr(after.size() - 67), added_line(identifier));
    return seconds;
  };
  std::string lines;
  for (int i = 0; i < 1'000'000; ++i) lines += "computer " + std::to_string(i) + "\n";
  const double one_million = run_with(lines, "computer 999999");
  const double two_million = run_with(lines + lines, "computer 999999");
  EXPECT_LT(two_million, 3.5 * one_million + 0.5);
  run_with(std::string(10'000'000, 'L'), std::string(50, 'L'));
}

// Runs that end at the same moment: every added line whole, none lost.
TEST(Pibench, SimultaneousRunsAppendWholeLines) {
  NEEDS_FAKE_CLOCK();
  const ScratchDir dir;
  dir.write("Tarnoval.Dat", "MYBOX\n");
  constexpr int kRuns = 16;
  std::vector<std::thread> runs;
  for (int i = 0; i < kRuns; ++i) {
    runs.emplace_back([&] { run_program(dir, "1000\n", clock_from("2026-12-08 12:00:00")); });
  }
  for (auto& t : runs) t.join();
  std::string expected = "MYBOX\n";
  for (int i = 0; i < kRuns; ++i) expected += added_line("MYBOX");
  EXPECT_EQ(dir.read("Tarnoval.Dat"), expected);
}

TEST(Pibench, ValgrindFindsNoMemoryErrors) {
  if (kSanitized) GTEST_SKIP() << "valgrind does not run sanitized programs";
  SKIP_UNDER_EMULATOR("valgrind would check the emulator, not the program");
  const ScratchDir dir;
  RunOptions o;
  o.prefix = {"valgrind", "--error-exitcode=99", "--leak-check=full", "--errors-for-leak-kinds=definite,indirect"};
  const Outcome r = run_program(dir, "1000\n", o);
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_NE(r.err.find("ERROR SUMMARY: 0 errors"), std::string::npos) << r.err;
}

}  // namespace

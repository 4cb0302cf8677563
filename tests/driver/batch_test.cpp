// --digits, --runs, --warmup and --batches as a user runs them: the answer given on
// the command line, a batch's files, record and log lines, its console,
// argument errors, and a run that another process slows down.
#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/driver/program.hpp"

namespace {

// --digits D writes every byte that the answer D on standard input writes.
TEST(Batch, DigitsAnswersTheDialogue) {
  NEEDS_FAKE_CLOCK();
  for (const std::string digits : {"4", "1000", "4999"}) {
    const ScratchDir piped, given;
    for (const ScratchDir* dir : {&piped, &given}) dir->write("Tarnoval.Dat", "MYBOX\n");
    const Outcome a = run_program(piped, digits + "\n", clock_from("2026-12-08 12:00:00"));
    RunOptions o = clock_from("2026-12-08 12:00:00");
    o.arguments = {"--digits", digits};
    const Outcome b = run_program(given, "", o);
    EXPECT_EQ(b.out, a.out) << digits;
    EXPECT_EQ(b.err, a.err) << digits;
    EXPECT_EQ(b.exit_status, a.exit_status) << digits;
    for (const char* file : {"PI.OUT", "PI.Tst", "Tarnoval.Dat"}) EXPECT_EQ(given.read(file), piped.read(file)) << file;
  }
}

// A bad option or value starts nothing.
TEST(Batch, ArgumentErrors) {
  const ScratchDir dir;
  struct Case {
    std::vector<std::string> arguments;
    std::string error;
  };
  const Case cases[] = {
      {{"--digits", "3"}, "--digits needs a whole number from 4 to 64000, not '3'"},
      {{"--digits", "64001"}, "--digits needs a whole number from 4 to 64000, not '64001'"},
      {{"--digits", "1e3"}, "--digits needs a whole number from 4 to 64000, not '1e3'"},
      {{"--digits", "-5"}, "--digits needs a whole number from 4 to 64000, not '-5'"},
      {{"--runs", "0"}, "--runs needs a whole number from 1 to 1000, not '0'"},
      {{"--runs", "99999999999"}, "--runs needs a whole number from 1 to 1000, not '99999999999'"},
      {{"--warmup", "101"}, "--warmup needs a whole number from 0 to 100, not '101'"},
      {{"--runs", "2", "--runs", "3"}, "--runs is given twice"},
      {{"--runs"}, "--runs needs a number"},
      {{"--runs", "2", "--report"}, "--report does not go with the run options: give it first"},
      {{"--batches", "2", "--version"}, "--version does not go with the run options: give it first"},
      {{"--pause", "5"}, "--pause is the wait between batches: give --batches too"},
      {{"--runs", "3", "--pause", "0"}, "--pause is the wait between batches: give --batches too"},
      {{"--digits", "1000", "extra"}, "unexpected argument 'extra'"},
      {{"--copies", "0"}, "--copies needs 'all' or a whole number from 1 to 1024, not '0'"},
      {{"--copies", "1025"}, "--copies needs 'all' or a whole number from 1 to 1024, not '1025'"},
      {{"--copies", "ALL"}, "--copies needs 'all' or a whole number from 1 to 1024, not 'ALL'"},
      {{"--copies"}, "--copies needs 'all' or a number"},
      {{"--batches", "0"}, "--batches needs a whole number from 1 to 100, not '0'"},
      {{"--batches", "101"}, "--batches needs a whole number from 1 to 100, not '101'"},
      {{"--pause", "-1"}, "--pause needs a whole number from 0 to 86400, not '-1'"},
      {{"--pause", "86401"}, "--pause needs a whole number from 0 to 86400, not '86401'"},
  };
  for (const Case& c : cases) {
    RunOptions o;
    o.arguments = c.arguments;
    const Outcome r = run_program(dir, "1000\n", o);
    EXPECT_EQ(r.exit_status, 2) << c.error;
    EXPECT_EQ(r.out, "") << c.error;
    EXPECT_EQ(r.err, "pibench: " + c.error + " (see pibench --help)\n");
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// Each measured run writes, records and logs as a plain run; a warm-up run
// nothing. The console is the batch's own.
TEST(Batch, ShortBatchFilesAndLogLines) {
  NEEDS_FAKE_CLOCK();
  const ScratchDir dir, plain;
  for (const ScratchDir* d : {&dir, &plain}) d->write("Tarnoval.Dat", "MYBOX\n");
  run_program(plain, "1000\n", clock_from("2026-12-08 12:00:00"));
  RunOptions o = clock_from("2026-12-08 12:00:00");
  o.arguments = {"--warmup", "2", "--log", "runs.jsonl", "--runs", "3", "--digits", "1000"};
  const Outcome r = run_program(dir, "", o);
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(dir.read("PI.OUT"), plain.read("PI.OUT"));
  EXPECT_EQ(dir.read("Tarnoval.Dat"), "MYBOX\n" + added_line("MYBOX") + added_line("MYBOX") + added_line("MYBOX"));
  const std::vector<nlohmann::json> runs = log_lines(dir.read("runs.jsonl"));
  ASSERT_EQ(runs.size(), 3u);
  for (const nlohmann::json& run : runs) {
    EXPECT_EQ(run["digits"], 1000);
    EXPECT_EQ(run["figure"], 300.0);
  }
  std::istringstream console(r.out);
  std::vector<std::string> lines;
  for (std::string line; std::getline(console, line);) lines.push_back(line);
  ASSERT_GE(lines.size(), 8u) << r.out;
  EXPECT_EQ(lines[0], "pibench: 3 runs of 1000 digits, 2 warm-up runs, log runs.jsonl");
  EXPECT_TRUE(lines[1].starts_with("warm-up 1 of 2: ")) << lines[1];
  // On the fake clock each run takes 2 s and almost no processor time.
  EXPECT_TRUE(lines[3].starts_with("run 1 of 3: 2 s, recorded 300.0000, precise 300, disturbed: cpu share 0.0"))
      << lines[3];
  EXPECT_TRUE(lines[5].starts_with("run 3 of 3: 2 s, recorded 300.0000, precise 300, disturbed: ")) << lines[5];
  EXPECT_EQ(lines[6], "precise figures: median 300, best 300, worst 300, spread 0.0%");
  EXPECT_EQ(lines[7], "disturbed: 3 of 3 runs; no clean run");

  // A stop in a run ends the batch with it: nothing after the first run.
  dir.write("Tarnoval.Dat", "");
  std::filesystem::permissions(dir / "Tarnoval.Dat", std::filesystem::perms::none);
  std::filesystem::remove(dir / "Tarnoval.Dat");
  std::filesystem::create_directory(dir / "Tarnoval.Dat");
  o.arguments = {"--runs", "3", "--digits", "1000"};
  const Outcome stopped = run_program(dir, "", o);
  EXPECT_EQ(stopped.exit_status, 1);
  EXPECT_EQ(stopped.err, "STOP 1002 statement executed\n");
  EXPECT_EQ(stopped.out, "pibench: 3 runs of 1000 digits, 0 warm-up runs, no log\n Error opening Tarnoval.Dat\n");
}

// --batches B: B batches one after another, each with its warm-up, each
// logged under a name of its own with its runs counted from 1, and the
// report counts them as batches.
TEST(Batch, BatchesOneAfterAnother) {
  NEEDS_FAKE_CLOCK();
  const ScratchDir dir;
  dir.write("Tarnoval.Dat", "MYBOX\n");
  RunOptions o = clock_from("2026-12-08 12:00:00");
  o.arguments = {"--batches", "3", "--runs", "2", "--warmup", "1", "--digits", "1000", "--log", "runs.jsonl"};
  const Outcome r = run_program(dir, "", o);
  EXPECT_EQ(r.exit_status, 0) << r.err;
  const std::vector<nlohmann::json> runs = log_lines(dir.read("runs.jsonl"));
  ASSERT_EQ(runs.size(), 6u);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    EXPECT_EQ(runs[i]["run"], i % 2 + 1);
    EXPECT_EQ(runs[i]["batch"] == runs[i - i % 2]["batch"], true) << i;
    if (i >= 2) {
      EXPECT_NE(runs[i]["batch"], runs[i - 2]["batch"]) << i;
    }
  }
  EXPECT_TRUE(
      r.out.starts_with("pibench: 3 batches of 2 runs of 1000 digits, 1 warm-up run each, log runs.jsonl\n"
                        "batch 1 of 3\nwarm-up 1 of 1: "))
      << r.out;
  // On the fake clock every run is disturbed: no batch has a median.
  EXPECT_TRUE(
      r.out.ends_with("batches: medians of their clean runs -, -, -\n"
                      "between batches: fewer than 2 batches with a clean run\n"))
      << r.out;
  o = RunOptions{};
  o.arguments = {"--report", "--format", "csv", "--all-runs", "runs.jsonl"};
  EXPECT_EQ(run_program(dir, "", o).out,
            "machine,digits,runs,batches,median,best,worst,spread,relative,median_low,median_high,relative_low,"
            "relative_high,verdict,basis,disturbed,copies,scaling,left_out\n"
            "MYBOX,1000,6,3,300,300,300,0.0000,1.0000,300,300,,,reference,,6,1,,0\n");
}

// A process pinned to the run's processor takes half its time: the run is
// found disturbed.
TEST(Batch, APinnedCompetitorDisturbsTheRun) {
  SKIP_ON_WINDOWS("no processor pinning under wine");
  SKIP_UNDER_EMULATOR("the emulator's own threads share the processor");
  cpu_set_t cpus;
  CPU_ZERO(&cpus);
  CPU_SET(0, &cpus);
  std::atomic<bool> done{false};
  std::thread competitor([&] {
    pthread_setaffinity_np(pthread_self(), sizeof cpus, &cpus);
    while (!done.load(std::memory_order_relaxed)) {
    }
  });
  const ScratchDir dir;
  RunOptions o;
  o.prefix = {"taskset", "-c", "0"};
  o.arguments = {"--runs", "1", "--digits", "16000", "--log", "runs.jsonl"};
  const Outcome r = run_program(dir, "", o);
  done = true;
  competitor.join();
  EXPECT_EQ(r.exit_status, 0) << r.err;
  const std::vector<nlohmann::json> runs = log_lines(dir.read("runs.jsonl"));
  ASSERT_EQ(runs.size(), 1u);
  ASSERT_TRUE(runs[0]["disturbed"].is_array()) << runs[0];
  ASSERT_FALSE(runs[0]["disturbed"].empty()) << runs[0];
  EXPECT_TRUE(runs[0]["disturbed"][0].get<std::string>().starts_with("cpu share 0.")) << runs[0]["disturbed"];
  EXPECT_NE(r.out.find(", disturbed: cpu share 0."), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("disturbed: 1 of 1 runs; no clean run"), std::string::npos) << r.out;
}

}  // namespace

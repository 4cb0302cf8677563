// --copies as a user runs it: the files and log lines of copies run at
// once, a wrong digit in one of them, and "all" against the processors the
// program may run on.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "tests/driver/program.hpp"

namespace {

constexpr double kFigureDigits = 0.0006 * 4000 * 4000;  // a figure's numerator at 4000 digits

// Two copies write the digits a plain run writes, record nothing, and log
// their throughput beside the first copy's figure.
TEST(Copies, FilesAndLogLinesOfTwoCopies) {
  const ScratchDir plain, copies;
  for (const ScratchDir* d : {&plain, &copies}) d->write("Tarnoval.Dat", "MYBOX\n");
  RunOptions p;
  p.arguments = {"--digits", "4000"};
  ASSERT_EQ(run_program(plain, "", p).exit_status, 0);
  RunOptions o;
  o.arguments = {"--copies", "2", "--runs", "2", "--warmup", "1", "--digits", "4000", "--log", "runs.jsonl"};
  const Outcome r = run_program(copies, "", o);
  ASSERT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(copies.read("PI.OUT"), plain.read("PI.OUT"));
  const std::string tst = copies.read("PI.Tst");
  EXPECT_EQ(tst.substr(0, tst.find('\n')), plain.read("PI.Tst").substr(0, tst.find('\n')));
  EXPECT_EQ(copies.read("Tarnoval.Dat"), "MYBOX\n");

  EXPECT_TRUE(r.out.starts_with("pibench: 2 runs of 4000 digits, 2 copies at once, 1 warm-up run, log runs.jsonl\n"))
      << r.out;
  const std::size_t run_2 = r.out.find("\nrun 2 of 2: ");
  EXPECT_NE(r.out.find(" s, throughput ", run_2), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\nthroughputs: median "), std::string::npos) << r.out;

  const std::vector<nlohmann::json> runs = log_lines(copies.read("runs.jsonl"));
  ASSERT_EQ(runs.size(), 2u);
  for (const nlohmann::json& run : runs) {
    EXPECT_EQ(run["identifier"], "MYBOX");  // the machine's name, for the report
    EXPECT_TRUE(run["figure"].is_null());
    EXPECT_EQ(run["copies"], 2);
    EXPECT_EQ(run["result"], "correct");
    EXPECT_TRUE(run["wrong_copy"].is_null());
    ASSERT_EQ(run["copy_elapsed"].size(), 2u);
    const double wall = run["elapsed"];
    EXPECT_DOUBLE_EQ(run["throughput"].get<double>(), kFigureDigits / (wall / 2));
    EXPECT_DOUBLE_EQ(run["precise_figure"].get<double>(), kFigureDigits / run["copy_elapsed"][0].get<double>());
    // The slowest copy ends the interval, which began before any copy did.
    for (const auto& own : run["copy_elapsed"]) EXPECT_LE(own.get<double>(), wall + 1e-6) << run;
  }
}

// A wrong digit in any copy stops the batch with 904, naming the copy, and
// records nothing.
TEST(Copies, AWrongDigitInOneCopyStopsTheBatch) {
  for (const int copy : {1, 2}) {
    const ScratchDir dir;
    dir.write("Tarnoval.Dat", "MYBOX\n");
    RunOptions o;
    o.with_fault = true;
    o.env = {"PIBENCH_FAULT_GROUP=7", "PIBENCH_FAULT_COPY=" + std::to_string(copy)};
    o.arguments = {"--copies", "2", "--runs", "3", "--digits", "4000", "--log", "runs.jsonl"};
    const Outcome r = run_program(dir, "", o);
    EXPECT_EQ(r.exit_status, 1) << copy;
    EXPECT_EQ(r.err, "STOP 904 statement executed\n") << copy;
    EXPECT_TRUE(r.out.ends_with(" The result is wrong from decimal 29 in copy " + std::to_string(copy) + "\n"))
        << r.out;
    EXPECT_EQ(dir.read("Tarnoval.Dat"), "MYBOX\n");
    const std::vector<nlohmann::json> runs = log_lines(dir.read("runs.jsonl"));
    ASSERT_EQ(runs.size(), 1u) << copy;
    EXPECT_EQ(runs[0]["stop"], 904);
    EXPECT_EQ(runs[0]["result"], "wrong");
    EXPECT_EQ(runs[0]["wrong_from"], 29);
    EXPECT_EQ(runs[0]["wrong_copy"], copy);
  }
  // In a warm-up run it stops the batch before any result file or log line.
  const ScratchDir dir;
  dir.write("Tarnoval.Dat", "MYBOX\n");
  RunOptions o;
  o.with_fault = true;
  o.env = {"PIBENCH_FAULT_GROUP=7"};
  o.arguments = {"--copies", "2", "--warmup", "1", "--runs", "3", "--digits", "4000", "--log", "runs.jsonl"};
  const Outcome r = run_program(dir, "", o);
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "STOP 904 statement executed\n");
  EXPECT_EQ(r.out,
            "pibench: 3 runs of 4000 digits, 2 copies at once, 1 warm-up run, log runs.jsonl\n"
            " The result is wrong from decimal 29 in copy 1\n");
  EXPECT_EQ(dir.read("runs.jsonl"), "");
  for (const char* file : {"PI.OUT", "PI.Tst"}) EXPECT_FALSE(std::filesystem::exists(dir / file)) << file;
}

// "all" is a copy for each processor the program may run on.
TEST(Copies, AllIsEveryUsableProcessor) {
  struct Case {
    std::vector<std::string> prefix;
    int copies;
  };
  cpu_set_t mine;
  ASSERT_EQ(sched_getaffinity(0, sizeof mine, &mine), 0);
  std::vector<Case> cases = {{{}, CPU_COUNT(&mine)}};
  if (!target().windows) cases.push_back({{"taskset", "-c", "0"}, 1});  // wine keeps its own mask
  for (const Case& c : cases) {
    const ScratchDir dir;
    RunOptions o;
    o.prefix = c.prefix;
    o.arguments = {"--copies", "all", "--digits", "100", "--log", "runs.jsonl"};
    const Outcome r = run_program(dir, "", o);
    ASSERT_EQ(r.exit_status, 0) << r.err;
    const std::vector<nlohmann::json> runs = log_lines(dir.read("runs.jsonl"));
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0]["copies"], c.copies) << c.prefix.size();
    EXPECT_EQ(runs[0].contains("copy_elapsed"), c.copies > 1) << c.prefix.size();
  }
}

// Copies whose threads cannot all start end the run before it touches a
// file: run as nobody, allowed two threads at most.
TEST(Copies, ThreadsThatCannotStartTouchNoFile) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to change user";
  SKIP_ON_WINDOWS("no thread limit under wine");
  SKIP_UNDER_EMULATOR("the emulator's own threads count against the limit");
  const ScratchDir bin, dir;
  chmod(bin.path().c_str(), 0755);
  chmod(dir.path().c_str(), 0777);
  const std::filesystem::path program = bin / "pibench";
  std::filesystem::copy_file(target().program, program);
  dir.write("PI.Tst", "kept\n");
  RunOptions o;
  o.program = program.string();
  o.prefix = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "prlimit", "--nproc=2"};
  o.arguments = {"--copies", "4", "--digits", "1000"};
  const Outcome r = run_program(dir, "", o);
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_TRUE(r.err.starts_with("pibench: cannot start 4 copies: the system gave ")) << r.err;
  EXPECT_EQ(dir.read("PI.Tst"), "kept\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "PI.OUT"));
}

}  // namespace

#pragma once
// Runs the program in a scratch directory with an answer on standard input.
//
// The program is this build's, or another target's build of it, named by
// the environment: PIBENCH_PROGRAM and PIBENCH_WITH_FAULT (the program and
// its test build with a fault hook), PIBENCH_EMULATOR (the command that runs
// them, words separated by blanks: qemu-aarch64, wine64) and
// PIBENCH_FAKETIME_LIBRARY (libfaketime for that target). Every target is
// held to the same expected bytes.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tests/runtime/scratch_dir.hpp"

extern char** environ;

struct Outcome {
  std::string out, err;
  int exit_status = -1;  // -1 when ended by a signal
  int signal = 0;
  long max_rss_kb = 0;  // peak resident memory, with RunOptions::measure_memory
};

struct Target {
  std::string program, with_fault, fake_time_library;
  std::vector<std::string> emulator;
  bool qemu = false, windows = false;
};

inline const Target& target() {
  static const Target t = [] {
    const auto from_env = [](const char* name, const char* fallback) {
      const char* value = std::getenv(name);
      return std::string(value != nullptr && *value != '\0' ? value : fallback);
    };
    Target t;
    t.program = from_env("PIBENCH_PROGRAM", PIBENCH_PROGRAM);
    t.with_fault = from_env("PIBENCH_WITH_FAULT", PIBENCH_WITH_FAULT);
    t.fake_time_library = from_env("PIBENCH_FAKETIME_LIBRARY", PIBENCH_FAKETIME_LIBRARY);
    std::istringstream words(from_env("PIBENCH_EMULATOR", ""));
    for (std::string w; words >> w;) t.emulator.push_back(w);
    t.qemu = !t.emulator.empty() && t.emulator[0].find("qemu") != std::string::npos;
    t.windows = !t.emulator.empty() && t.emulator[0].find("wine") != std::string::npos;
    return t;
  }();
  return t;
}

// A build whose program and libraries run under the sanitizers (the
// tests' own code does not), a few times slower and larger.
#ifdef PIBENCH_SANITIZED
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// Skips a test that cannot run on the target, with the reason.
#define SKIP_ON_WINDOWS(reason) \
  if (target().windows) GTEST_SKIP() << "Windows: " << (reason)
#define SKIP_UNDER_EMULATOR(reason) \
  if (!target().emulator.empty()) GTEST_SKIP() << target().emulator[0] << ": " << (reason)
#define NEEDS_FAKE_CLOCK() SKIP_ON_WINDOWS("libfaketime cannot set the clock that wine reads for a Windows program")

struct RunOptions {
  bool with_fault = false;             // the test build with a fault hook
  std::string program;                 // another copy of the program, when not empty
  std::vector<std::string> arguments;  // for the program
  std::string fake_time_library;       // other copies of the fake clock, when not empty
  std::vector<std::string> env;        // NAME=value added to the environment
  std::vector<std::string> prefix;     // a command the program runs under
  std::string fake_time;               // libfaketime's FAKETIME, when set
  std::string fake_time_file;          // or a file with its offset, read at every reading of the calendar clock
  long file_size_limit = -1;           // RLIMIT_FSIZE in bytes, when >= 0
  std::function<void(pid_t)> started;  // called with the process once it runs
  bool measure_memory = false;         // under /usr/bin/time, for the peak resident memory
  std::vector<int> closed;             // standard descriptors the program starts without
};

// libfaketime keeps each process's clock in shared memory named by its pid
// and leaves it behind when the process ends without running its
// destructors, as every stop does; a later process with the same pid would
// find it and run on the real clock. What ended processes left is removed.
inline void forget_ended_fake_clocks() {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ignored)) {
    const std::string name = entry.path().filename().string();
    for (const std::string prefix : {"faketime_shm_", "sem.faketime_sem_"}) {
      if (name.rfind(prefix, 0) != 0) continue;
      const pid_t owner = static_cast<pid_t>(std::atol(name.c_str() + prefix.size()));
      if (owner > 0 && kill(owner, 0) != 0 && errno == ESRCH) std::filesystem::remove(entry.path(), ignored);
    }
  }
}

inline Outcome run_program(const ScratchDir& dir, const std::string& answer, const RunOptions& options = {}) {
  const ScratchDir io;
  io.write("in", answer);
  std::vector<std::string> clock_env;
  const bool fake_clock = !options.fake_time.empty() || !options.fake_time_file.empty();
  if (fake_clock && !target().windows) {
    // Under qemu the library goes to the emulated program only, not to qemu.
    const std::string preload =
        "LD_PRELOAD=" + (options.fake_time_library.empty() ? target().fake_time_library : options.fake_time_library);
    clock_env = {target().qemu ? "QEMU_SET_ENV=" + preload : preload, "FAKETIME_DONT_RESET=1",
                 "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0"};
    if (options.fake_time_file.empty()) {
      // Both clocks move on at every reading; said outright, since on ARM
      // libfaketime otherwise leaves the monotonic clock alone.
      clock_env.insert(clock_env.end(), {"FAKETIME=" + options.fake_time, "FAKETIME_DONT_FAKE_MONOTONIC=0"});
    } else {
      clock_env.insert(clock_env.end(), {"FAKETIME_TIMESTAMP_FILE=" + options.fake_time_file, "FAKETIME_NO_CACHE=1",
                                         "FAKETIME_DONT_FAKE_MONOTONIC=1"});
    }
  }
  std::vector<std::string> args = options.prefix;
  if (options.measure_memory) args.insert(args.begin(), {"/usr/bin/time", "-f", "%M", "-o", (io / "rss").string()});
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
  env.insert(env.end(), options.env.begin(), options.env.end());
  if (target().windows) env.emplace_back("WINEDEBUG=-all");
  if (args.empty()) {
    env.insert(env.end(), clock_env.begin(), clock_env.end());
  } else if (!clock_env.empty()) {
    // Only the program itself runs on the fake clock.
    args.emplace_back("env");
    args.insert(args.end(), clock_env.begin(), clock_env.end());
  }
  args.insert(args.end(), target().emulator.begin(), target().emulator.end());
  args.push_back(!options.program.empty() ? options.program
                 : options.with_fault     ? target().with_fault
                                          : target().program);
  args.insert(args.end(), options.arguments.begin(), options.arguments.end());
  std::vector<char*> argv, envp;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, (io / "in").c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, (io / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, (io / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  for (const int fd : options.closed) posix_spawn_file_actions_addclose(&actions, fd);
  posix_spawn_file_actions_addchdir_np(&actions, dir.path().c_str());
  rlimit old_limit{};
  getrlimit(RLIMIT_FSIZE, &old_limit);
  if (options.file_size_limit >= 0) {
    rlimit limit{static_cast<rlim_t>(options.file_size_limit), old_limit.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  setrlimit(RLIMIT_FSIZE, &old_limit);
  posix_spawn_file_actions_destroy(&actions);
  Outcome outcome;
  if (spawned != 0) return outcome;
  if (options.started) options.started(pid);
  int status = 0;
  waitpid(pid, &status, 0);
  if (fake_clock) forget_ended_fake_clocks();
  if (options.measure_memory) outcome.max_rss_kb = std::atol(io.read("rss").c_str());
  if (WIFEXITED(status)) outcome.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
  outcome.out = io.read("out");
  outcome.err = io.read("err");
  return outcome;
}

// The line a run adds to the record file: 50 columns of identifier, a blank, G15.7.
inline std::string added_line(const std::string& identifier, const std::string& figure = "   300.0000    ") {
  return identifier + std::string(50 - identifier.size(), ' ') + " " + figure + "\n";
}

// A clock that starts at `start` (UTC) and moves on step/2 seconds at each
// reading of either clock: the start stamp, the calendar and monotonic clocks
// at the start and at the end of the timed interval, the end stamp. The
// duration is `step`, the end stamp 2.5 steps after the start.
inline RunOptions clock_from(const std::string& start, int step = 2, const std::string& zone = "UTC") {
  RunOptions o;
  o.fake_time = "@" + start + " i" + std::to_string(step / 2) + (step % 2 != 0 ? ".5" : "");
  o.env = {"TZ=" + zone};
  return o;
}

// The runs of a run log, a JSON object a line.
inline std::vector<nlohmann::json> log_lines(const std::string& text) {
  std::istringstream lines(text);
  std::vector<nlohmann::json> runs;
  for (std::string line; std::getline(lines, line);) runs.push_back(nlohmann::json::parse(line));
  return runs;
}

#pragma once
// Runs build/pibench in a scratch directory with an answer on standard input.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/runtime/scratch_dir.hpp"

extern char** environ;

struct Outcome {
  std::string out, err;
  int exit_status = -1;  // -1 when ended by a signal
  int signal = 0;
  long max_rss_kb = 0;   // peak resident memory, with RunOptions::measure_memory
};

struct RunOptions {
  std::string program = PIBENCH_PROGRAM;
  std::vector<std::string> env;      // NAME=value added to the environment
  std::vector<std::string> prefix;   // a command the program runs under
  std::string fake_time;             // libfaketime's FAKETIME, when set
  long file_size_limit = -1;         // RLIMIT_FSIZE in bytes, when >= 0
  std::function<void(pid_t)> started;  // called with the process once it runs
  bool measure_memory = false;         // under /usr/bin/time, for the peak resident memory
  std::vector<int> closed;             // standard descriptors the program starts without
};

inline std::string fake_time_library() { return "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"; }

inline Outcome run_program(const ScratchDir& dir, const std::string& answer, const RunOptions& options = {}) {
  const ScratchDir io;
  io.write("in", answer);
  std::vector<std::string> clock_env;
  if (!options.fake_time.empty()) {
    clock_env = {"LD_PRELOAD=" + fake_time_library(), "FAKETIME=" + options.fake_time, "FAKETIME_DONT_RESET=1",
                 "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0"};
  }
  std::vector<std::string> args = options.prefix;
  if (options.measure_memory) args.insert(args.begin(), {"/usr/bin/time", "-f", "%M", "-o", (io / "rss").string()});
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
  env.insert(env.end(), options.env.begin(), options.env.end());
  if (args.empty()) {
    env.insert(env.end(), clock_env.begin(), clock_env.end());
  } else if (!clock_env.empty()) {
    // Only the program itself runs on the fake clock.
    args.emplace_back("env");
    args.insert(args.end(), clock_env.begin(), clock_env.end());
  }
  args.push_back(options.program);
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
  if (options.measure_memory) outcome.max_rss_kb = std::atol(io.read("rss").c_str());
  if (WIFEXITED(status)) outcome.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
  outcome.out = io.read("out");
  outcome.err = io.read("err");
  return outcome;
}

// The operating-system layer on POSIX systems.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <string_view>

#include "runtime/os.hpp"

namespace runtime::os {

// Record files past 2 GiB and dates past 2038 on 32-bit targets too.
static_assert(sizeof(off_t) == 8 && sizeof(std::time_t) == 8, "64-bit file offsets and times");

namespace {

int fd_of(File file) { return static_cast<int>(file); }

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

long read_some(int fd, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(fd, buffer, size);
    if (n < 0 && errno == EINTR) continue;
    return n < 0 ? -1 : static_cast<long>(n);
  }
}

bool is_null_device(const struct stat& st) {
  struct stat null_device {};
  return S_ISCHR(st.st_mode) && ::stat("/dev/null", &null_device) == 0 && st.st_rdev == null_device.st_rdev;
}

// O_NONBLOCK only for the open itself, so that a FIFO never makes it wait.
int open_once(const char* name, int flags) {
  const int fd = ::open(name, flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  if (fd < 0) return -1;
  struct stat st {};
  const bool wanted = ::fstat(fd, &st) == 0 && (S_ISREG(st.st_mode) || is_null_device(st));
  if (!wanted || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// The signals that a program cannot go on after: never blocked.
sigset_t interrupt_set() {
  sigset_t set;
  sigfillset(&set);
  for (const int s : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS, SIGABRT}) sigdelset(&set, s);
  return set;
}

}  // namespace

void start_process() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    const int null_fd = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (null_fd > fd) {  // cannot happen while the lower descriptors are open
      ::dup2(null_fd, fd);
      ::close(null_fd);
    }
  }
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);  // a file-size limit fails the write instead
}

bool write_standard_output(std::string_view bytes) { return write_all(1, bytes); }
bool write_standard_error(std::string_view bytes) { return write_all(2, bytes); }

long read_standard_input(char* buffer, std::size_t size) { return read_some(0, buffer, size); }

bool output_is_terminal() { return isatty(1) == 1; }

std::optional<int> terminal_columns() {
  winsize size{};
  if (!output_is_terminal() || ioctl(1, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return std::nullopt;
  return size.ws_col;
}

// Creating and opening are one step, so that a file another run creates
// meanwhile is never taken for one that may only be read.
File open_file(const char* name) {
  int fd = open_once(name, O_RDWR | O_CREAT);
  if (fd < 0) fd = open_once(name, O_RDONLY);
  return fd < 0 ? kNoFile : fd;
}

File open_file_for_writing(const char* name) {
  int fd = open_once(name, O_RDWR | O_CREAT);
  if (fd < 0) fd = open_once(name, O_WRONLY | O_CREAT);
  return fd < 0 ? kNoFile : fd;
}

File open_file_for_reading(const char* name) {
  const int fd = open_once(name, O_RDONLY);
  return fd < 0 ? kNoFile : fd;
}

File open_stream_for_reading(const char* name) {
  if (std::string_view(name) == "-") {
    const int fd = ::fcntl(0, F_DUPFD_CLOEXEC, 3);
    return fd < 0 ? kNoFile : fd;
  }
  int fd = -1;
  while ((fd = ::open(name, O_RDONLY | O_CLOEXEC | O_NOCTTY)) < 0 && errno == EINTR) {
  }
  if (fd < 0) return kNoFile;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return kNoFile;
  }
  return fd;
}

long read_file(File file, char* buffer, std::size_t size) { return read_some(fd_of(file), buffer, size); }

bool write_file(File file, std::string_view bytes) { return write_all(fd_of(file), bytes); }

bool drop_old_content(File file, std::size_t size) {
  const int fd = fd_of(file);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) return true;
  if ((::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY) return true;  // the write itself fails
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && size > limit.rlim_cur) {
    return false;
  }
#if defined(FALLOC_FL_KEEP_SIZE)
  // The blocks the new bytes need, reserved past the old end before the old
  // ones are given up.
  if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) != 0 && (errno == ENOSPC || errno == EDQUOT)) {
    return false;
  }
#endif
  return truncate(file, 0);
}

std::int64_t position(File file) { return ::lseek(fd_of(file), 0, SEEK_CUR); }
std::int64_t seek_end(File file) { return ::lseek(fd_of(file), 0, SEEK_END); }
bool seek(File file, std::int64_t offset) { return ::lseek(fd_of(file), static_cast<off_t>(offset), SEEK_SET) >= 0; }

namespace {
FileId id_of(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino), is_null_device(st)};
}
}  // namespace

std::optional<FileId> file_id(File file) {
  struct stat st {};
  if (::fstat(fd_of(file), &st) != 0) return std::nullopt;
  return id_of(st);
}

std::optional<FileId> file_id_of(const char* name) {
  struct stat st {};
  if (::stat(name, &st) != 0) return std::nullopt;
  return id_of(st);
}

bool truncate(File file, std::int64_t size) {
  for (;;) {
    if (::ftruncate(fd_of(file), static_cast<off_t>(size)) == 0) return true;
    if (errno != EINTR) return false;
  }
}

void lock_exclusive(File file) {
  struct stat st {};
  if (::fstat(fd_of(file), &st) == 0 && is_null_device(st)) return;
  while (::flock(fd_of(file), LOCK_EX) != 0 && errno == EINTR) {
  }
}

void unlock(File file) { ::flock(fd_of(file), LOCK_UN); }

void close_file(File file) { ::close(fd_of(file)); }

void block_interrupts() {
  const sigset_t set = interrupt_set();
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

void unblock_interrupts() {
  const sigset_t set = interrupt_set();
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

namespace {

// The value of the first "key: value" or KEY=value line of a text file.
std::optional<std::string> value_in(const char* path, std::string_view key, char separator) {
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(key, 0) != 0) continue;
    std::string value = line.substr(key.size());
    value.erase(0, value.find_first_not_of(" \t"));
    if (value.empty() || value[0] != separator) continue;
    value.erase(0, value.find_first_not_of(" \t", 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (!value.empty()) return value;
  }
  return std::nullopt;
}

// x86 names its model; ARM gives its implementer and part numbers.
std::optional<std::string> cpu_name() {
  if (auto model = value_in("/proc/cpuinfo", "model name", ':')) return model;
  if (auto model = value_in("/proc/cpuinfo", "Model", ':')) return model;
  const auto implementer = value_in("/proc/cpuinfo", "CPU implementer", ':');
  const auto part = value_in("/proc/cpuinfo", "CPU part", ':');
  if (implementer && part) return "CPU implementer " + *implementer + ", part " + *part;
  return value_in("/proc/cpuinfo", "uarch", ':');
}

}  // namespace

double monotonic_seconds() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double mark_seconds() {
#if defined(__linux__)
  // The kernel's 64-bit timespec, on 32-bit targets by its own call.
  struct {
    std::int64_t seconds, nanoseconds;
  } now{};
#if defined(SYS_clock_gettime64)
  ::syscall(SYS_clock_gettime64, CLOCK_MONOTONIC, &now);
#else
  static_assert(sizeof(long) == 8, "the 64-bit call on a 64-bit target");
  ::syscall(SYS_clock_gettime, CLOCK_MONOTONIC, &now);
#endif
  return static_cast<double>(now.seconds) + static_cast<double>(now.nanoseconds) * 1e-9;
#else
  return monotonic_seconds();
#endif
}

SystemFacts system_facts() {
  SystemFacts facts;
  facts.cpu = cpu_name();
  const long cpus = ::sysconf(_SC_NPROCESSORS_ONLN);
  if (cpus > 0) facts.logical_cpus = static_cast<int>(cpus);
  facts.os = value_in("/etc/os-release", "PRETTY_NAME", '=');
  utsname names{};
  if (::uname(&names) == 0) facts.kernel = std::string(names.sysname) + " " + names.release;
#if defined(__linux__)
  const int cpu = ::sched_getcpu();
  if (cpu >= 0) {
    std::ifstream in("/sys/devices/system/cpu/cpu" + std::to_string(cpu) + "/cpufreq/scaling_governor");
    std::string governor;
    if (std::getline(in, governor) && !governor.empty()) facts.governor = governor;
  }
#endif
  return facts;
}

namespace {

#if defined(__linux__)
std::optional<double> first_number_in(const std::string& path) {
  std::ifstream in(path);
  double value = 0;
  if (in >> value) return value;
  return std::nullopt;
}

// scaling_cur_freq of the processor this runs on, else its "cpu MHz" in /proc/cpuinfo.
std::optional<double> current_frequency_mhz() {
  const int cpu = ::sched_getcpu();
  if (cpu < 0) return std::nullopt;
  const std::string base = "/sys/devices/system/cpu/cpu" + std::to_string(cpu) + "/cpufreq/scaling_cur_freq";
  if (const std::optional<double> khz = first_number_in(base); khz && *khz > 0) return *khz / 1000;
  std::ifstream in("/proc/cpuinfo");
  int processor = -1;
  for (std::string line; std::getline(in, line);) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::string key = line.substr(0, line.find_last_not_of(" \t", colon - 1) + 1);
    if (key == "processor") processor = std::atoi(line.c_str() + colon + 1);
    if (key == "cpu MHz" && processor == cpu) return std::atof(line.c_str() + colon + 1);
  }
  return std::nullopt;
}

// The eighth figure of /proc/stat's "cpu" line, in clock ticks.
std::optional<double> steal_since_boot() {
  std::ifstream in("/proc/stat");
  std::string label;
  double ticks[8] = {};
  if (!(in >> label) || label != "cpu") return std::nullopt;
  for (double& t : ticks) {
    if (!(in >> t)) return std::nullopt;
  }
  const long per_second = ::sysconf(_SC_CLK_TCK);
  return per_second > 0 ? std::optional<double>(ticks[7] / static_cast<double>(per_second)) : std::nullopt;
}
#endif

}  // namespace

MachineState machine_state() {
  MachineState state;
  rusage usage{};
  if (::getrusage(RUSAGE_SELF, &usage) == 0) {
    state.cpu_seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                        static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  }
  double load = 0;
  if (::getloadavg(&load, 1) == 1) state.load_average = load;
#if defined(__linux__)
  state.frequency_mhz = current_frequency_mhz();
  state.steal_seconds = steal_since_boot();
#endif
  return state;
}

std::vector<int> usable_cpus() {
  std::vector<int> cpus;
#if defined(__linux__)
  // Sized for any kernel's processor count, not only CPU_SETSIZE.
  for (int count = CPU_SETSIZE; count <= (1 << 20); count *= 2) {
    cpu_set_t* const set = CPU_ALLOC(count);
    if (set == nullptr) break;
    const std::size_t size = CPU_ALLOC_SIZE(count);
    CPU_ZERO_S(size, set);
    const bool read = ::sched_getaffinity(0, size, set) == 0;
    const bool too_small = !read && errno == EINVAL;
    for (int cpu = 0; read && cpu < count; ++cpu) {
      if (CPU_ISSET_S(cpu, size, set)) cpus.push_back(cpu);
    }
    CPU_FREE(set);
    if (!too_small) break;
  }
#endif
  if (cpus.empty()) {
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    for (long cpu = 0; cpu < std::max(online, 1L); ++cpu) cpus.push_back(static_cast<int>(cpu));
  }
  return cpus;
}

bool pin_thread(int cpu) {
#if defined(__linux__)
  cpu_set_t* const set = CPU_ALLOC(cpu + 1);
  if (set == nullptr) return false;
  const std::size_t size = CPU_ALLOC_SIZE(cpu + 1);
  CPU_ZERO_S(size, set);
  CPU_SET_S(cpu, size, set);
  const bool pinned = ::sched_setaffinity(0, size, set) == 0;  // 0: the calling thread
  CPU_FREE(set);
  return pinned;
#else
  (void)cpu;
  return false;
#endif
}

long utc_offset(std::time_t time) {
  std::tm local{};
  ::localtime_r(&time, &local);
  return local.tm_gmtoff;
}

void exit_process(int status) { std::_Exit(status); }

}  // namespace runtime::os

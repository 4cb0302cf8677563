#include "driver/copies.hpp"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "mp/common.hpp"
#include "mp/pi_check.hpp"
#include "runtime/stop.hpp"

namespace driver {

namespace {

// Where the copies wait, set up, until all are released at once. A mutex
// and a condition variable rather than std::latch: libstdc++ 12's atomic
// waits can miss a wake-up where there is no futex (its bug 106183), and
// a run under Windows hung so.
class StartLine {
 public:
  explicit StartLine(int copies) : expected_(copies) {}

  void arrive_and_wait() {
    std::unique_lock lock(mutex_);
    if (++arrived_ == expected_) changed_.notify_all();
    changed_.wait(lock, [&] { return released_; });
  }

  void wait_for_all() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return arrived_ == expected_; });
  }

  void release() {
    {
      const std::lock_guard lock(mutex_);
      released_ = true;
    }
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int expected_;
  int arrived_ = 0;
  bool released_ = false;
};

}  // namespace

CopiesResult run_copies(int count, const Sizes& sizes, runtime::FileUnit& out_file, PiFault fault) {
  const std::vector<int> cpus = runtime::os::usable_cpus();
  const mp::Common common = mp::common;  // the driver's set-up, for every copy
  CopiesResult result;
  result.copies.resize(static_cast<std::size_t>(count));
  std::vector<std::unique_ptr<Workspace>> work(static_cast<std::size_t>(count));
  StartLine start(count);

  const auto copy = [&](std::size_t i) {
    runtime::os::pin_thread(cpus[i % cpus.size()]);
    mp::common = common;
    work[i] = std::make_unique<Workspace>();  // touched first by the thread that uses it
    runtime::FileUnit nowhere;
    nowhere.open_discarding();
    RunConsole console(true);
    start.arrive_and_wait();
    CopyResult& r = result.copies[i];
    r.interval = timed_computation(*work[i], sizes, i == 0 ? out_file : nowhere, console);
    r.marks = console.marks;
    r.mark_count = console.mark_count;
    if (fault != nullptr) fault(work[i]->arctan5, static_cast<int>(i) + 1);
    r.wrong_from = mp::first_wrong_decimal(work[i]->arctan5, sizes.vector_length);
  };

  {
    std::vector<std::jthread> threads;
    threads.reserve(work.size());
    for (std::size_t i = 0; i < work.size(); ++i) {
      try {
        threads.emplace_back(copy, i);
      } catch (const std::system_error&) {
        // The started copies wait for the release, which never comes.
        runtime::exit_with_error("pibench: cannot start " + std::to_string(count) + " copies: the system gave " +
                                 std::to_string(i) + " threads");
      }
    }
    start.wait_for_all();
    result.before = runtime::os::machine_state();
    result.interval.start = runtime::read_clocks();  // the timed interval begins
    start.release();
  }  // every copy has ended
  result.after = runtime::os::machine_state();
  const auto last = std::max_element(result.copies.begin(), result.copies.end(), [](const auto& a, const auto& b) {
    return a.interval.end.monotonic < b.interval.end.monotonic;
  });
  result.interval.end = last->interval.end;
  result.first = std::move(work.front());
  return result;
}

}  // namespace driver

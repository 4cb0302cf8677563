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

// Where the copies wait, set up, until all are released at once, or told
// to end without computing. A mutex and a condition variable rather than
// std::latch: libstdc++ 12's atomic waits can miss a wake-up where there
// is no futex (its bug 106183), and a run under Windows hung so.
class Copies::StartLine {
 public:
  explicit StartLine(int copies) : expected_(copies) {}

  // True when released to compute, false when told to end.
  bool arrive_and_wait() {
    std::unique_lock lock(mutex_);
    if (++arrived_ == expected_) changed_.notify_all();
    changed_.wait(lock, [&] { return released_ || ended_; });
    return released_;
  }

  void wait_for_all() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return arrived_ == expected_; });
  }

  void release(bool compute) {
    {
      const std::lock_guard lock(mutex_);
      (compute ? released_ : ended_) = true;
    }
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int expected_;
  int arrived_ = 0;
  bool released_ = false, ended_ = false;
};

Copies::Copies(int count, const Sizes& sizes, runtime::FileUnit& out_file, RunConsole& console, PiFault fault)
    : sizes_(sizes),
      out_file_(out_file),
      console_(console),
      fault_(fault),
      cpus_(runtime::os::usable_cpus()),
      common_(mp::common),
      work_(static_cast<std::size_t>(count)),
      start_(std::make_unique<StartLine>(count)) {
  copies_.resize(work_.size());
  if (count == 1) {
    work_[0] = std::make_unique<Workspace>();
    return;
  }
  threads_.reserve(work_.size());
  for (std::size_t i = 0; i < work_.size(); ++i) {
    try {
      threads_.emplace_back(&Copies::copy, this, i);
    } catch (const std::system_error&) {
      // The started copies wait for a release that never comes.
      runtime::exit_with_error("pibench: cannot start " + std::to_string(count) + " copies: the system gave " +
                               std::to_string(i) + " threads");
    }
  }
}

void Copies::copy(std::size_t i) {
  runtime::os::pin_thread(cpus_[i % cpus_.size()]);
  mp::common = common_;
  work_[i] = std::make_unique<Workspace>();  // touched first by the thread that uses it
  runtime::FileUnit nowhere;
  nowhere.open_discarding();
  RunConsole quiet(true);
  if (!start_->arrive_and_wait()) return;
  compute(i, i == 0 ? out_file_ : nowhere, i == 0 ? console_ : quiet);
}

void Copies::compute(std::size_t i, runtime::FileUnit& out, RunConsole& console) {
  CopyResult& r = copies_[i];
  r.interval = timed_computation(*work_[i], sizes_, out, console);
  r.marks = console.marks;
  r.mark_count = console.mark_count;
  if (fault_ != nullptr) fault_(work_[i]->arctan5, static_cast<int>(i) + 1);
  r.wrong_from = mp::first_wrong_decimal(work_[i]->arctan5, sizes_.vector_length);
}

std::unique_ptr<Workspace> Copies::run(RunFacts& facts) {
  if (threads_.empty()) {
    facts.before = runtime::os::machine_state();
    compute(0, out_file_, console_);
    facts.interval = copies_[0].interval;
  } else {
    start_->wait_for_all();
    facts.before = runtime::os::machine_state();
    facts.interval.start = runtime::read_clocks();  // the timed interval begins
    start_->release(true);
    threads_.clear();  // every copy has ended
    const auto last = std::max_element(copies_.begin(), copies_.end(), [](const auto& a, const auto& b) {
      return a.interval.end.monotonic < b.interval.end.monotonic;
    });
    facts.interval.end = last->interval.end;
    facts.interval.cut_short = copies_.front().interval.cut_short;
  }
  facts.after = runtime::os::machine_state();
  facts.marks = copies_.front().marks;
  facts.mark_count = copies_.front().mark_count;
  for (std::size_t i = 0; i < copies_.size(); ++i) {
    const CopyResult& copy = copies_[i];
    facts.copy_elapsed.push_back(runtime::elapsed_seconds(copy.interval.start, copy.interval.end));
    if (copy.wrong_from != 0 && facts.wrong_copy == 0) {
      facts.wrong_copy = static_cast<int>(i) + 1;
      facts.wrong_from = copy.wrong_from;
    }
  }
  return std::move(work_.front());
}

Copies::~Copies() {
  if (!threads_.empty()) start_->release(false);
}

}  // namespace driver

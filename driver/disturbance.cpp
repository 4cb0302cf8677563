#include "driver/disturbance.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>

namespace driver {

namespace {

namespace key = runtime::log_key;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

std::string fixed(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

template <typename T>
std::optional<double> difference(const std::optional<T>& end, const std::optional<T>& start) {
  if (!end || !start) return std::nullopt;
  return *end - *start;
}

// The pace of each slice between a series' marks, and the evenness of the
// series: its slowest slice's pace over its fastest's, where every slice
// is long enough to judge.
void read_marks(const RunFacts& facts, RunHealth& health) {
  double min_evenness = 1;
  bool judged = false;
  for (std::size_t series_start = 0; series_start < facts.mark_count;) {
    std::size_t end = series_start + 1;
    while (end < facts.mark_count && facts.marks[end].steps_done != 0) ++end;
    double slowest = kInfinity, fastest = 0, shortest = kInfinity;
    for (std::size_t i = series_start + 1; i < end; ++i) {
      const double seconds = facts.marks[i].seconds - facts.marks[i - 1].seconds;
      const double steps = facts.marks[i].steps_done - facts.marks[i - 1].steps_done;
      if (!(seconds > 0) || !(steps > 0)) continue;
      const double pace = steps / seconds;
      health.slices.push_back(std::round(pace));
      slowest = std::min(slowest, pace);
      fastest = std::max(fastest, pace);
      shortest = std::min(shortest, seconds);
    }
    if (fastest > 0 && shortest >= kDisturbance.min_slice_seconds) {
      min_evenness = std::min(min_evenness, slowest / fastest);
      judged = true;
    }
    series_start = end;
  }
  if (judged) health.evenness = min_evenness;
}

}  // namespace

RunHealth assess(const RunFacts& facts) {
  RunHealth health;
  health.elapsed = runtime::elapsed_seconds(facts.interval.start, facts.interval.end);
  health.cpu_seconds = difference(facts.after.cpu_seconds, facts.before.cpu_seconds);
  health.steal_seconds = difference(facts.after.steal_seconds, facts.before.steal_seconds);
  health.load_average = facts.before.load_average;
  health.frequency_start = facts.before.frequency_mhz;
  health.frequency_end = facts.after.frequency_mhz;
  read_marks(facts, health);
  if (facts.copies > 1 && !facts.copy_elapsed.empty()) {
    const auto [fastest, slowest] = std::minmax_element(facts.copy_elapsed.begin(), facts.copy_elapsed.end());
    if (*slowest > 0) health.copy_balance = *fastest / *slowest;
  }

  const bool frequencies = health.frequency_start && health.frequency_end && *health.frequency_start > 0;
  if (!health.cpu_seconds && !health.steal_seconds && !frequencies && !health.evenness && !health.copy_balance) {
    return health;
  }
  std::vector<Disturbance>& reasons = health.disturbed.emplace();
  if (health.elapsed <= 0) return health;
  // Copies are judged over their own times: one that ended first does not
  // wait for the last.
  double running = health.elapsed;
  if (facts.copies > 1 && !facts.copy_elapsed.empty()) {
    running = std::accumulate(facts.copy_elapsed.begin(), facts.copy_elapsed.end(), 0.0);
  }
  const double cpu_share = health.cpu_seconds && running > 0 ? *health.cpu_seconds / running : 0;
  if (health.cpu_seconds && cpu_share < kDisturbance.min_cpu_share)
    reasons.push_back({key::kCpuShare, "cpu share " + fixed("%.2f", cpu_share)});
  if (frequencies && *health.frequency_end < *health.frequency_start * (1 - kDisturbance.max_frequency_drop)) {
    reasons.push_back({key::kFrequencyDrop, "frequency " + fixed("%.0f", *health.frequency_start) + " -> " +
                                                fixed("%.0f", *health.frequency_end) + " MHz"});
  }
  if (health.steal_seconds && *health.steal_seconds > kDisturbance.max_steal_share * health.elapsed) {
    reasons.push_back({key::kSteal, "steal " + fixed("%.1f", *health.steal_seconds / health.elapsed * 100) + "%"});
  }
  if (health.evenness && *health.evenness < kDisturbance.min_evenness) {
    reasons.push_back({key::kUneven, "uneven: slowest slice " + fixed("%.2f", *health.evenness) + " of the fastest"});
  }
  if (health.copy_balance && *health.copy_balance < kDisturbance.min_copy_balance) {
    reasons.push_back({key::kCopiesUnequal, "copies unequal: slowest took " + fixed("%.2f", 1 / *health.copy_balance) +
                                                " times the fastest"});
  }
  return health;
}

}  // namespace driver

#include "driver/measurement.hpp"

#include <cmath>

#include "runtime/clock.hpp"

namespace driver {

namespace {

double micro(double seconds) { return std::round(seconds * 1e6) / 1e6; }

}  // namespace

Measurement measure(const RunFacts& facts) {
  Measurement m;
  m.elapsed = micro(runtime::elapsed_seconds(facts.interval.start, facts.interval.end));
  for (const double seconds : facts.copy_elapsed) m.copy_elapsed.push_back(micro(seconds));
  const double digits = facts.sizes.accepted_digits;
  const auto per_second = [&](double seconds) -> std::optional<double> {
    if (!(seconds > 0) || facts.interval.cut_short) return std::nullopt;
    return 0.0006 * digits * digits / seconds;
  };
  m.precise_figure = per_second(m.copy_elapsed.empty() ? m.elapsed : m.copy_elapsed.front());
  m.throughput = per_second(m.elapsed / facts.copies);
  m.health = assess(facts);
  return m;
}

}  // namespace driver

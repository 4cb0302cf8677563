#pragma once
// Simulated series of log batch medians, for the thresholds of the change
// search and the proof of its false alarms and power: AR(1) noise, one odd
// batch, one step. Its own generator and normal draws, so that a seed gives
// the same series with every library.
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace report::simulation {

// The deviation of this machine's idle batch medians (docs/example-runs.jsonl,
// the 10 idle batches but the odd one) and the depth of that odd batch.
constexpr double kIdleDeviation = 0.024;
constexpr double kOddDip = 0.1;

class Normal {
 public:
  explicit Normal(std::uint64_t seed) : engine_(seed) {}
  double operator()() {
    // Box and Muller, from two uniforms in (0, 1].
    const double u = (static_cast<double>(engine_() >> 11) + 1) * 0x1p-53;
    const double v = static_cast<double>(engine_() >> 11) * 0x1p-53;
    return std::sqrt(-2 * std::log(u)) * std::cos(2 * std::numbers::pi * v);
  }
  std::uint64_t below(std::uint64_t n) { return engine_() % n; }

 private:
  std::mt19937_64 engine_;
};

struct Scenario {
  double phi;
  double deviation;    // of one batch
  bool odd_batch;      // one batch, anywhere, kOddDip lower
  double step = 0;     // the ratio after the step, 0 for none
  std::size_t at = 0;  // the first batch after it
};

inline std::vector<double> series(Normal& normal, std::size_t n, const Scenario& s) {
  std::vector<double> x(n);
  double e = normal() * s.deviation;
  const double innovation = s.deviation * std::sqrt(1 - s.phi * s.phi);
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0) e = s.phi * e + innovation * normal();
    x[i] = e + (s.step > 0 && i >= s.at ? std::log(s.step) : 0.0);
  }
  if (s.odd_batch) x[normal.below(n)] += std::log1p(-kOddDip);
  return x;
}

}  // namespace report::simulation

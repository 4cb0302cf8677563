// The thresholds of the change search, and the proof of what it finds.
//
//   changes_calibration thresholds  the table of report/changes_thresholds.inc
//   changes_calibration proof       false alarms and power, as the README gives them
//
// A series' threshold is steady + (drifting - steady) * phi / kMaxPhi, for its
// estimated correlation of neighbours phi. `steady` is the largest (1 -
// kLevel) quantile of the whole series' largest standardised CUSUM over
// series without a change and without drift (with and without one odd
// batch); `drifting` the least that keeps the share of series with a change
// at kLevel or below over series with drift (AR(1) phi 0.25 and 0.5, with
// and without one odd batch).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/report/changes_simulation.hpp"
#include "report/changes.hpp"

namespace {

using report::simulation::kIdleDeviation;
using report::simulation::Normal;
using report::simulation::Scenario;

constexpr double kLevel = 0.005;  // half of 1 %: a proof over 1000 series stays under 1 %

const std::vector<Scenario> kNull = {
    {0, kIdleDeviation, false}, {0.5, kIdleDeviation, false}, {0, kIdleDeviation, true}, {0.5, kIdleDeviation, true}};
const std::vector<Scenario> kSteady = {{0, kIdleDeviation, false}, {0, kIdleDeviation, true}};
const std::vector<Scenario> kDrifting = {{0.25, kIdleDeviation, false},
                                         {0.5, kIdleDeviation, false},
                                         {0.25, kIdleDeviation, true},
                                         {0.5, kIdleDeviation, true}};

double quantile(std::vector<double> values, double p) {
  const auto k = static_cast<std::size_t>(p * static_cast<double>(values.size()));
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(k), values.end());
  return values[k];
}

void thresholds() {
  std::vector<std::size_t> lengths;
  for (std::size_t n = report::kMinChangeBatches; n <= 30; ++n) lengths.push_back(n);
  for (const std::size_t n : {35,  40,  50,  60,  70,   85,   100,  120,  150,  200,  250,
                              300, 400, 500, 700, 1000, 1500, 2000, 3000, 5000, 7000, 10000}) {
    lengths.push_back(n);
  }
  std::puts("// Written by bench/report/changes_calibration.cpp: the series length and its thresholds.");
  Normal normal(20261211);
  for (const std::size_t n : lengths) {
    const std::size_t count = n <= 200 ? 10000 : std::max<std::size_t>(1000, 2000000 / n);
    double steady = 0;
    for (const Scenario& s : kSteady) {
      std::vector<double> statistics;
      statistics.reserve(count);
      for (std::size_t i = 0; i < count; ++i) {
        statistics.push_back(report::series_statistic(report::simulation::series(normal, n, s)));
      }
      steady = std::max(steady, quantile(statistics, 1 - kLevel));
    }
    // Each drifting series' statistic and estimated phi.
    std::vector<std::vector<std::pair<double, double>>> drifting(kDrifting.size());
    for (std::size_t d = 0; d < kDrifting.size(); ++d) {
      for (std::size_t i = 0; i < count; ++i) {
        const std::vector<double> x = report::simulation::series(normal, n, kDrifting[d]);
        drifting[d].emplace_back(report::series_statistic(x), report::estimate_noise(x).phi);
      }
    }
    const auto alarms = [&](double low, double high) {
      double most = 0;
      for (const auto& series : drifting) {
        const auto found = std::count_if(series.begin(), series.end(), [&](const std::pair<double, double>& s) {
          return s.first > low + (high - low) * s.second / report::kMaxPhi;
        });
        most = std::max(most, static_cast<double>(found) / static_cast<double>(series.size()));
      }
      return most;
    };
    // The pair that keeps every drifting kind at the level with the lowest
    // threshold for a steady series' typical estimate of phi.
    double typical = 0;
    for (std::size_t i = 0; i < count; ++i) {
      typical += report::estimate_noise(report::simulation::series(normal, n, kSteady[0])).phi;
    }
    typical /= static_cast<double>(count);
    double best = 1e300, low = steady, high = steady;
    // Drifting thresholds from steady up to 40 times it, 3 % apart.
    for (int step = 0; step < 125; ++step) {
      const double d = steady * std::pow(1.03, step);
      if (alarms(d, d) > kLevel) continue;
      double s_low = steady, s_high = d;  // alarms(s_high, d) within the level
      if (alarms(steady, d) > kLevel) {
        for (int i = 0; i < 30; ++i) {
          const double middle = (s_low + s_high) / 2;
          (alarms(middle, d) > kLevel ? s_low : s_high) = middle;
        }
      } else {
        s_high = steady;
      }
      const double at_typical = s_high + (d - s_high) * typical / report::kMaxPhi;
      if (at_typical < best) {
        best = at_typical;
        low = s_high;
        high = d;
      }
    }
    steady = low;
    std::printf("Calibrated{%zu, %.3f, %.3f},\n", n, steady, high);
    std::fflush(stdout);
  }
}

// The share of `count` series of n batches in which a change is found, and
// (with a step) in which exactly one is found within one batch of it.
struct Found {
  double any, placed;
};
Found found(Normal& normal, std::size_t n, const Scenario& s, int count) {
  int any = 0, placed = 0;
  for (int i = 0; i < count; ++i) {
    const report::ChangeSearch search = report::find_changes(report::simulation::series(normal, n, s));
    any += search.changes.empty() ? 0 : 1;
    const auto near = [&](const report::Change& c) { return c.after + 1 >= s.at && c.after <= s.at + 1; };
    placed += std::any_of(search.changes.begin(), search.changes.end(), near) ? 1 : 0;
  }
  return Found{100.0 * any / count, 100.0 * placed / count};
}

void proof() {
  Normal normal(7);
  std::puts("False alarms: 1000 series of 200 batches without a change");
  for (const Scenario& s : kNull) {
    std::printf("  phi %.1f, deviation %.1f %%%s: %.1f %%\n", s.phi, 100 * s.deviation,
                s.odd_batch ? ", one batch 10 % low" : "", found(normal, 200, s, 1000).any);
  }
  std::puts("Power: one step, 1000 series each; found anywhere / within one batch of it");
  for (const double deviation : {0.01, 0.034}) {
    for (const double phi : {0.0, 0.5}) {
      for (const double step : {0.97, 0.95, 0.9}) {
        for (const std::size_t n : {20, 50, 200}) {
          for (const std::size_t side : {5, 10}) {
            if (2 * side > n) continue;
            const Found f = found(normal, n, Scenario{phi, deviation, false, step, side}, 1000);
            std::printf("  CV %.1f %%, phi %.1f, step %.0f %%, %zu batches, %zu before: %.1f / %.1f %%\n",
                        100 * deviation, phi, 100 * (1 - step), n, side, f.any, f.placed);
          }
          const Found f = found(normal, n, Scenario{phi, deviation, false, step, n / 2}, 1000);
          std::printf("  CV %.1f %%, phi %.1f, step %.0f %%, %zu batches, %zu before: %.1f / %.1f %%\n",
                      100 * deviation, phi, 100 * (1 - step), n, n / 2, f.any, f.placed);
        }
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "thresholds") == 0) {
    thresholds();
  } else if (argc == 2 && std::strcmp(argv[1], "proof") == 0) {
    proof();
  } else {
    std::fputs("usage: changes_calibration thresholds|proof\n", stderr);
    return 2;
  }
  return 0;
}

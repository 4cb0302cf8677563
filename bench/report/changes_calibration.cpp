// The thresholds of the change search, and the proof of what it finds.
//
//   changes_calibration thresholds  the table of report/changes_thresholds.inc
//   changes_calibration proof       false alarms and power, as the README gives them
//
// A threshold is the largest over four kinds of series without a change
// (AR(1) with phi 0 and 0.5, each with and without one odd batch) of the
// (1 - kLevel) quantile of the whole series' largest standardised CUSUM.
#include <algorithm>
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
  std::puts("// Written by bench/report/changes_calibration.cpp: the series length and its threshold.");
  Normal normal(20261211);
  for (const std::size_t n : lengths) {
    const std::size_t count = n <= 200 ? 10000 : std::max<std::size_t>(1000, 2000000 / n);
    double threshold = 0;
    for (const Scenario& s : kNull) {
      std::vector<double> statistics;
      statistics.reserve(count);
      for (std::size_t i = 0; i < count; ++i) {
        statistics.push_back(report::series_statistic(report::simulation::series(normal, n, s)));
      }
      threshold = std::max(threshold, quantile(statistics, 1 - kLevel));
    }
    std::printf("Calibrated{%zu, %.3f},\n", n, threshold);
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

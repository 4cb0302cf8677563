#include "driver/batch.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/disturbance.hpp"
#include "report/columns.hpp"
#include "report/statistics.hpp"
#include "runtime/format.hpp"
#include "runtime/os.hpp"
#include "runtime/stop.hpp"
#include "runtime/text.hpp"
#include "runtime/unit.hpp"

namespace driver {

namespace {

constexpr int kDefaultDigits = 64000;     // the finest figure
constexpr double kOutlierDeviations = 3;  // median absolute deviations from the batch's median

std::string plural(int count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string fixed(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

double median_of(std::vector<double> figures) {
  std::sort(figures.begin(), figures.end());
  return report::median_of_sorted(figures);
}

struct Measured {
  double precise_figure;
  bool disturbed;
};

std::string run_line(int index, int runs, const RunFacts& facts, const RunHealth& health, double seconds_left) {
  std::string line = "run " + std::to_string(index) + " of " + std::to_string(runs) + ": " +
                     std::to_string(static_cast<long>(facts.duration)) + " s, ";
  if (facts.copies > 1) {
    const auto [fastest, slowest] = std::minmax_element(facts.copy_elapsed.begin(), facts.copy_elapsed.end());
    const double value = throughput(facts);
    line += "throughput " + (value > 0 ? report::figure_text(value) : "-") + ", copies took " +
            fixed("%.2f", *fastest) + " to " + fixed("%.2f", *slowest) + " s";
  } else if (facts.identifier.empty()) {
    line += "not recorded";
  } else {
    std::string figure = runtime::field_g(facts.figure, 15, 7);
    figure.erase(figure.find_last_not_of(' ') + 1);
    line += "recorded " + figure.substr(figure.find_first_not_of(' '));
  }
  if (facts.copies == 1) line += ", precise " + (health.elapsed > 0 ? report::figure_text(precise_figure(facts)) : "-");
  if (health.disturbed && !health.disturbed->empty()) {
    line += ", disturbed: ";
    for (std::size_t i = 0; i < health.disturbed->size(); ++i) line += (i > 0 ? "; " : "") + (*health.disturbed)[i];
  }
  if (index < runs) line += ", about " + fixed("%.0f", seconds_left) + " s left";
  return line + "\n";
}

std::string summary(const std::vector<Measured>& runs, const char* figures) {
  std::vector<double> all, clean;
  for (const Measured& m : runs) {
    all.push_back(m.precise_figure);
    if (!m.disturbed) clean.push_back(m.precise_figure);
  }
  const double median = median_of(all);
  const auto [worst, best] = std::minmax_element(all.begin(), all.end());
  std::string text = std::string(figures) + ": median " + report::figure_text(median) + ", best " +
                     report::figure_text(*best) + ", worst " + report::figure_text(*worst) + ", spread " +
                     fixed("%.1f%%", (*best - *worst) / median * 100) + "\n";
  const int disturbed = static_cast<int>(all.size() - clean.size());
  text += "disturbed: " + (disturbed == 0 ? std::string("none")
                                          : std::to_string(disturbed) + " of " + std::to_string(all.size()) + " runs");
  text += clean.empty() ? std::string("; no clean run\n")
                        : "; median of the " + plural(static_cast<int>(clean.size()), "clean run", "clean runs") + " " +
                              report::figure_text(median_of(clean)) + "\n";
  std::vector<double> deviations;
  deviations.reserve(all.size());
  for (const double f : all) deviations.push_back(std::fabs(f - median));
  const double mad = median_of(deviations);
  std::string outliers;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (mad > 0 && deviations[i] > kOutlierDeviations * mad)
      outliers += (outliers.empty() ? "" : ", ") + std::to_string(i + 1);
  }
  if (!outliers.empty()) {
    text += "outliers (more than 3 median absolute deviations from the median): run " + outliers + "\n";
  }
  return text;
}

}  // namespace

void run_batch(const BenchmarkOptions& options, RunEnd* log, PiFault fault) {
  const int digits = options.digits.value_or(kDefaultDigits);
  const int runs = options.runs.value_or(1);
  const int warmup = options.warmup.value_or(0);
  const int copies = options.copies.value_or(1);
  const Sizes sizes = sizes_of(digits, set_up());
  runtime::console_write("pibench: " + plural(runs, "run", "runs") + " of " + std::to_string(sizes.accepted_digits) +
                         " digits, " + (copies > 1 ? std::to_string(copies) + " copies at once, " : "") +
                         plural(warmup, "warm-up run", "warm-up runs") + ", " +
                         (options.log ? "log " + runtime::displayable(*options.log) : std::string("no log")) + "\n");
  for (int i = 1; i <= warmup; ++i) {
    const double start = runtime::os::monotonic_seconds();
    run_in_batch(sizes, BatchRun::kWarmUp, nullptr, fault, copies);
    runtime::console_write("warm-up " + std::to_string(i) + " of " + std::to_string(warmup) + ": " +
                           fixed("%.2f", runtime::os::monotonic_seconds() - start) + " s\n");
  }
  std::vector<Measured> measured;
  const double first_start = runtime::os::monotonic_seconds();
  for (int i = 1; i <= runs; ++i) {
    const RunFacts facts = run_in_batch(sizes, BatchRun::kMeasured, log, fault, copies);
    const RunHealth health = assess(facts);
    measured.push_back(
        {copies > 1 ? throughput(facts) : precise_figure(facts), health.disturbed && !health.disturbed->empty()});
    const double per_run = (runtime::os::monotonic_seconds() - first_start) / i;
    runtime::console_write(run_line(i, runs, facts, health, per_run * (runs - i)));
  }
  runtime::console_write(summary(measured, copies > 1 ? "throughputs" : "precise figures"));
  runtime::stop();
}

}  // namespace driver

#include "driver/batch.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "driver/computation.hpp"
#include "driver/measurement.hpp"
#include "driver/recording.hpp"
#include "report/columns.hpp"
#include "report/statistics.hpp"
#include "report/uncertainty.hpp"
#include "runtime/format.hpp"
#include "runtime/os.hpp"
#include "runtime/stop.hpp"
#include "runtime/text.hpp"
#include "runtime/unit.hpp"

namespace driver {

namespace {

constexpr int kDefaultDigits = 64000;  // the finest figure

std::string plural(int count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string fixed(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string run_line(int index, int runs, const MeasuredRun& run, double seconds_left) {
  const RunFacts& facts = run.facts;
  const Measurement& measured = run.measured;
  std::string line = "run " + std::to_string(index) + " of " + std::to_string(runs) + ": " +
                     std::to_string(static_cast<long>(facts.duration)) + " s, ";
  if (facts.copies > 1) {
    const auto [fastest, slowest] = std::minmax_element(measured.copy_elapsed.begin(), measured.copy_elapsed.end());
    line += "throughput " + (measured.throughput ? report::figure_text(*measured.throughput) : "-") + ", copies took " +
            fixed("%.2f", *fastest) + " to " + fixed("%.2f", *slowest) + " s";
  } else if (facts.identifier.empty()) {
    line += "not recorded";
  } else {
    std::string figure = runtime::field_g(facts.figure, 15, 7);
    figure.erase(figure.find_last_not_of(' ') + 1);
    line += "recorded " + figure.substr(figure.find_first_not_of(' '));
  }
  if (facts.copies == 1) {
    line += ", precise " + (measured.precise_figure ? report::figure_text(*measured.precise_figure) : "-");
  }
  if (measured.disturbed()) {
    const std::vector<Disturbance>& reasons = *measured.health.disturbed;
    line += ", disturbed: ";
    for (std::size_t i = 0; i < reasons.size(); ++i) line += (i > 0 ? "; " : "") + reasons[i].words;
  }
  if (index < runs) line += ", about " + fixed("%.0f", seconds_left) + " s left";
  return line + "\n";
}

// The figures a batch counts, and which of them are clean.
struct Counted {
  std::vector<double> all, clean;
};

std::string summary(const Counted& batch, const char* figures) {
  const std::vector<double>& all = batch.all;
  const double median = report::median_of(all);
  const auto [worst, best] = std::minmax_element(all.begin(), all.end());
  std::string text = std::string(figures) + ": median " + report::figure_text(median) + ", best " +
                     report::figure_text(*best) + ", worst " + report::figure_text(*worst) + ", spread " +
                     fixed("%.1f%%", (*best - *worst) / median * 100) + "\n";
  const int disturbed = static_cast<int>(all.size() - batch.clean.size());
  text += "disturbed: " + (disturbed == 0 ? std::string("none")
                                          : std::to_string(disturbed) + " of " + std::to_string(all.size()) + " runs");
  text += batch.clean.empty()
              ? std::string("; no clean run\n")
              : "; median of the " + plural(static_cast<int>(batch.clean.size()), "clean run", "clean runs") + " " +
                    report::figure_text(report::median_of(batch.clean)) + "\n";
  std::string outliers;
  for (const std::size_t i : report::outliers(all)) outliers += (outliers.empty() ? "" : ", ") + std::to_string(i + 1);
  if (!outliers.empty()) {
    text += "outliers (more than 3 median absolute deviations from the median): run " + outliers + "\n";
  }
  return text;
}

// The batches side by side: each one's median of its clean runs, and how
// far they lie apart, which no batch's own spread shows.
std::string between_batches(const std::vector<Counted>& batches) {
  std::string medians;
  report::Batches clean;
  std::vector<double> values;
  for (const Counted& batch : batches) {
    medians += medians.empty() ? "" : ", ";
    if (batch.clean.empty()) {
      medians += "-";
      continue;
    }
    clean.push_back(batch.clean);
    values.push_back(report::median_of(batch.clean));
    medians += report::figure_text(values.back());
  }
  std::string text = "batches: medians of their clean runs " + medians + "\n";
  if (values.size() < 2) return text + "between batches: fewer than 2 batches with a clean run\n";
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  return text + "between batches: spread " + fixed("%.1f%%", (*high - *low) / report::median_of(values) * 100) +
         ", coefficient of variation " + fixed("%.1f%%", report::log_median_deviation(clean) * 100) + "\n";
}

}  // namespace

void run_batch(const BenchmarkOptions& options, RunLog* log, PiFault fault) {
  const int digits = options.digits.value_or(kDefaultDigits);
  const int runs = options.runs.value_or(1);
  const int warmup = options.warmup.value_or(0);
  const int copies = options.copies.value_or(1);
  const int batches = options.batches.value_or(1);
  const int pause = options.pause.value_or(0);
  const Sizes sizes = sizes_of(digits, set_up());
  const std::string log_text = options.log ? "log " + runtime::displayable(*options.log) : std::string("no log");
  const std::string at_once = copies > 1 ? std::to_string(copies) + " copies at once, " : "";
  if (batches == 1) {
    runtime::console_write("pibench: " + plural(runs, "run", "runs") + " of " + std::to_string(sizes.accepted_digits) +
                           " digits, " + at_once + plural(warmup, "warm-up run", "warm-up runs") + ", " + log_text +
                           "\n");
  } else {
    runtime::console_write("pibench: " + std::to_string(batches) + " batches of " + plural(runs, "run", "runs") +
                           " of " + std::to_string(sizes.accepted_digits) + " digits, " + at_once +
                           plural(warmup, "warm-up run", "warm-up runs") + " each, " +
                           (pause > 0 ? plural(pause, "second", "seconds") + " apart, " : "") + log_text + "\n");
  }
  RunConsole console(true);  // only the messages of a stop
  std::vector<Counted> counted;
  for (int b = 1; b <= batches; ++b) {
    if (b > 1) {
      std::this_thread::sleep_for(std::chrono::seconds(pause));
      if (log != nullptr) log->batch_started();
    }
    if (batches > 1) runtime::console_write("batch " + std::to_string(b) + " of " + std::to_string(batches) + "\n");
    for (int i = 1; i <= warmup; ++i) {
      const double start = runtime::os::monotonic_seconds();
      // A warm-up run writes, records and logs nothing.
      if (const int stop = compute(sizes, copies, nullptr, console, fault).stop; stop != 0) runtime::stop(stop);
      runtime::console_write("warm-up " + std::to_string(i) + " of " + std::to_string(warmup) + ": " +
                             fixed("%.2f", runtime::os::monotonic_seconds() - start) + " s\n");
    }
    Counted& batch = counted.emplace_back();
    const double first_start = runtime::os::monotonic_seconds();
    for (int i = 1; i <= runs; ++i) {
      // A measured run writes, records and logs as a plain run does; one of
      // several copies records nothing.
      ResultFiles files;
      MeasuredRun run = compute(sizes, copies, &files, console, fault);
      if (run.stop == 0 && copies == 1) run.stop = record(run.facts, console);
      if (log != nullptr) log->run_ended(run);
      if (run.stop != 0) runtime::stop(run.stop);
      const double figure = run.measured.counted().value_or(0);
      batch.all.push_back(figure);
      if (!run.measured.disturbed()) batch.clean.push_back(figure);
      const double per_run = (runtime::os::monotonic_seconds() - first_start) / i;
      runtime::console_write(run_line(i, runs, run, per_run * (runs - i)));
    }
    runtime::console_write(summary(batch, copies > 1 ? "throughputs" : "precise figures"));
  }
  if (batches > 1) runtime::console_write(between_batches(counted));
  runtime::stop();
}

}  // namespace driver

#include "report/history.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace report {

History make_history(std::vector<HistoryBatch> batches) {
  History history;
  // By start; a batch that does not tell when it started keeps its place
  // after the batch read before it (before the first that tells, when none
  // before it does), so that one such batch does not leave the rest as read.
  const auto timed = std::find_if(batches.begin(), batches.end(), [](const HistoryBatch& b) { return b.start; });
  if (timed != batches.end()) {
    std::vector<std::pair<double, std::size_t>> order;
    order.reserve(batches.size());
    double key = *timed->start;
    for (std::size_t i = 0; i < batches.size(); ++i) {
      if (batches[i].start) key = *batches[i].start;
      order.emplace_back(key, i);
    }
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<HistoryBatch> sorted;
    sorted.reserve(batches.size());
    for (const auto& [start, i] : order) sorted.push_back(std::move(batches[i]));
    batches = std::move(sorted);
  }
  std::vector<double> logs;
  logs.reserve(batches.size());
  for (const HistoryBatch& b : batches) logs.push_back(std::log(b.median));
  const ChangeSearch search = find_changes(logs);
  history.searched = search.searched;
  for (const Change& c : search.changes) {
    history.changes.push_back(
        RowChange{c.after, c.ratio, c.interval,
                  facts_that_differ(batches[c.after - 1].facts.get(), batches[c.after].facts.get())});
  }
  history.batches = std::move(batches);
  return history;
}

std::vector<FactChange> facts_that_differ(const MachineFacts* before, const MachineFacts* after) {
  static const MachineFacts kNone;
  const MachineFacts& a = before != nullptr ? *before : kNone;
  const MachineFacts& b = after != nullptr ? *after : kNone;
  std::vector<FactChange> differ;
  const auto compare = [&](const char* name, const std::string MachineFacts::*fact) {
    if (a.*fact != b.*fact) differ.push_back(FactChange{name, a.*fact, b.*fact});
  };
  compare("processor", &MachineFacts::cpu);
  compare("logical_cpus", &MachineFacts::logical_cpus);
  compare("os", &MachineFacts::os);
  compare("kernel", &MachineFacts::kernel);
  compare("governor", &MachineFacts::governor);
  compare("build", &MachineFacts::build);
  compare("pibench", &MachineFacts::version);
  return differ;
}

namespace {

std::string percent(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value * 100);
  return text;
}

}  // namespace

std::string change_words(const RowChange& change) {
  if (change.ratio < 1) {
    return "slower by " + percent(1 - change.ratio) + " % (" + percent(1 - change.interval.high) + " to " +
           percent(1 - change.interval.low) + " %)";
  }
  return "faster by " + percent(change.ratio - 1) + " % (" + percent(change.interval.low - 1) + " to " +
         percent(change.interval.high - 1) + " %)";
}

std::string facts_words(const RowChange& change) {
  if (change.facts.empty()) return "no fact changed";
  std::string words;
  for (const FactChange& f : change.facts) {
    if (!words.empty()) words += "; ";
    words += std::string(f.name) + " " + (f.before.empty() ? "(none)" : f.before) + " -> " +
             (f.after.empty() ? "(none)" : f.after);
  }
  return words;
}

std::string when_words(const History& history, const RowChange& change) {
  const std::optional<double>& before = history.batches[change.after - 1].start;
  const std::optional<double>& after = history.batches[change.after].start;
  std::string batches = "after batch " + std::to_string(change.after) + " of " + std::to_string(history.batches.size());
  if (!after) return batches;
  const std::string first = before ? minute_text(*before) : "", last = minute_text(*after);
  // The day once when both fall on it.
  if (before && first.compare(0, 10, last, 0, 10) == 0)
    return batches + ", between " + first + " and " + last.substr(11);
  return batches + (before ? ", between " + first + " and " : ", by ") + last;
}

std::string iso_text(double seconds) {
  const auto whole = static_cast<std::int64_t>(std::floor(seconds));
  const std::string minute = minute_text(static_cast<double>(whole));
  char text[40];
  std::snprintf(text, sizeof text, "%sT%s:%02dZ", minute.substr(0, 10).c_str(), minute.substr(11).c_str(),
                static_cast<int>(((whole % 60) + 60) % 60));
  return text;
}

std::string minute_text(double seconds) {
  const auto minutes = static_cast<std::int64_t>(std::floor(seconds / 60));
  const std::chrono::sys_days day{std::chrono::days(minutes >= 0 ? minutes / 1440 : (minutes - 1439) / 1440)};
  const std::chrono::year_month_day date{day};
  const std::int64_t minute_of_day = minutes - static_cast<std::int64_t>(day.time_since_epoch().count()) * 1440;
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(minute_of_day / 60), static_cast<int>(minute_of_day % 60));
  return text;
}

}  // namespace report

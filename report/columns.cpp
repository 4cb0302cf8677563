#include "report/columns.hpp"

#include <charconv>
#include <cmath>
#include <iterator>
#include <nlohmann/json.hpp>

#include "report/history.hpp"
#include "report/verdicts.hpp"

namespace report {

namespace {

using Json = nlohmann::ordered_json;

std::string digits_text(const MachineSummary& m) { return m.digits > 0 ? std::to_string(m.digits) : ""; }
Json digits_json(const MachineSummary& m) { return m.digits > 0 ? Json(m.digits) : Json(nullptr); }

// Rounded to 4 decimals, or `decimals`, where that keeps it finite.
Json rounded(double value, int decimals = 4) {
  const double scale = std::pow(10.0, decimals);
  return std::fabs(value) < 1e12 ? std::round(value * scale) / scale : value;
}

std::string ratio_text(const std::optional<double>& ratio, int decimals) {
  return ratio ? short_fixed(*ratio, decimals) : "";
}
Json ratio_json(const std::optional<double>& ratio) { return ratio ? rounded(*ratio) : Json(nullptr); }

std::string median_ci_text(const MachineSummary& m) {
  if (m.median_ci) return figure_text(m.median_ci->low) + "-" + figure_text(m.median_ci->high);
  return m.runs > 0 ? "needs 6 runs" : "";
}

// A row's figure, or nothing for a row without runs.
std::string figure_cell(const MachineSummary& m, double figure) { return m.runs > 0 ? figure_text(figure) : ""; }
Json figure_json(const MachineSummary& m, double figure) { return m.runs > 0 ? Json(figure) : Json(nullptr); }

std::string relative_ci_text(const MachineSummary& m) {
  if (!m.ratio) return m.verdict == Verdict::kOneBatch ? "needs 2+2 batches" : "";
  const int decimals = interval_decimals(m.ratio->interval, 3);
  return short_fixed(m.ratio->ratio, 3) + " (" + short_fixed(m.ratio->interval.low, decimals) + "-" +
         short_fixed(m.ratio->interval.high, decimals) + ")";
}

// An end of the ratio's interval as CSV and JSON give it: 4 decimals, or
// more to keep it on its side of 1.
std::string relative_end_csv(const MachineSummary& m, double Interval::*end) {
  return m.ratio ? short_fixed(m.ratio->interval.*end, interval_decimals(m.ratio->interval, 4)) : "";
}
Json relative_end_json(const MachineSummary& m, double Interval::*end) {
  return rounded(m.ratio->interval.*end, interval_decimals(m.ratio->interval, 4));
}

// The text table's cells: figures to 4 significant digits, the ratio's
// interval alone.
std::string four_digits(double value) {
  if (!(value >= 1e-3 && value < 1e15)) return figure_text(value);
  const int magnitude = static_cast<int>(std::floor(std::log10(value)));
  const double step = std::pow(10.0, magnitude - 3);
  const double rounded = std::round(value / step) * step;
  return formatted(rounded, std::chars_format::fixed, std::max(0, 3 - magnitude));
}

std::string median_ci_narrow(const MachineSummary& m) {
  if (m.median_ci) return four_digits(m.median_ci->low) + "-" + four_digits(m.median_ci->high);
  return m.runs > 0 ? "needs 6 runs" : "";
}

std::string relative_ci_narrow(const MachineSummary& m) {
  if (m.verdict == Verdict::kReference) return "1";
  if (m.ratio) {
    const int decimals = interval_decimals(m.ratio->interval, 3);
    return formatted(m.ratio->interval.low, std::chars_format::fixed, decimals) + "-" +
           formatted(m.ratio->interval.high, std::chars_format::fixed, decimals);
  }
  return m.relative ? formatted(*m.relative, std::chars_format::fixed, 3) : "";
}

// The batches a verdict rests on: the row's against the reference's,
// each since its last change.
std::string basis_text(const MachineSummary& m) {
  if (m.verdict == Verdict::kReference || !m.relative) return "";
  return std::to_string(m.current_batches()) + " vs " + std::to_string(m.reference_batches) +
         (m.reference_batches == 1 ? " batch" : " batches") +
         (std::isnan(m.since) ? "" : " since " + minute_text(m.since));
}

// {"batch", "start", "runs", "median"} for each batch in time order.
Json history_json(const MachineSummary& m) {
  Json batches = Json::array();
  const auto start = [](const std::optional<double>& s) { return s ? Json(iso_text(*s)) : Json(nullptr); };
  if (!m.history) {
    if (m.runs == 0) return batches;
    const std::optional<double> s = std::isnan(m.first_start) ? std::nullopt : std::optional<double>(m.first_start);
    return Json::array({Json{{"batch", 1}, {"start", start(s)}, {"runs", m.runs}, {"median", m.median}}});
  }
  for (std::size_t b = 0; b < m.history->batches.size(); ++b) {
    const HistoryBatch& h = m.history->batches[b];
    batches.push_back(Json{{"batch", b + 1}, {"start", start(h.start)}, {"runs", h.runs}, {"median", h.median}});
  }
  return batches;
}

Json changes_json(const MachineSummary& m) {
  Json changes = Json::array();
  if (!m.history) return changes;
  for (const RowChange& c : m.history->changes) {
    Json facts = Json::object();
    for (const FactChange& f : c.facts) facts[f.name] = Json::array({f.before, f.after});
    const std::optional<double>& s = m.history->batches[c.after].start;
    changes.push_back(Json{{"after_batch", c.after},
                           {"start", s ? Json(iso_text(*s)) : Json(nullptr)},
                           {"ratio", rounded(c.ratio)},
                           {"ratio_ci", Json::array({rounded(c.interval.low), rounded(c.interval.high)})},
                           {"facts", facts}});
  }
  return changes;
}

std::string changes_count(const MachineSummary& m) { return std::to_string(m.history ? m.history->changes.size() : 0); }

// The newest change: when, by how much and what changed with it.
std::string newest_change(const MachineSummary& m) {
  if (!m.history || m.history->changes.empty()) return "";
  const RowChange& c = m.history->changes.back();
  return when_words(*m.history, c) + ": " + change_words(c) + "; " + facts_words(c);
}

constexpr Column kColumns[] = {
    {"digits", "digits", 8, digits_text, digits_text, digits_json},
    {"runs", "runs ", 9,
     [](const MachineSummary& m) { return std::to_string(m.runs) + (m.runs > 0 && m.runs < kFewRuns ? "*" : " "); },
     [](const MachineSummary& m) { return std::to_string(m.runs); },
     [](const MachineSummary& m) { return Json(m.runs); },
     [](const MachineSummary& m) { return std::to_string(m.runs) + (m.runs > 0 && m.runs < kFewRuns ? "*" : ""); }},
    {"batches", "batches", 9, [](const MachineSummary& m) { return std::to_string(m.batches.size()); },
     [](const MachineSummary& m) { return std::to_string(m.batches.size()); },
     [](const MachineSummary& m) { return Json(m.batches.size()); },
     [](const MachineSummary& m) { return std::to_string(m.batches.size()); }},
    {"median", "median", 12, [](const MachineSummary& m) { return figure_cell(m, m.median); },
     [](const MachineSummary& m) { return figure_cell(m, m.median); },
     [](const MachineSummary& m) { return figure_json(m, m.median); },
     [](const MachineSummary& m) { return m.runs > 0 ? four_digits(m.median) : ""; }},
    {"best", "best", 13, [](const MachineSummary& m) { return figure_cell(m, m.best); },
     [](const MachineSummary& m) { return figure_cell(m, m.best); },
     [](const MachineSummary& m) { return figure_json(m, m.best); }},
    {"worst", "worst", 13, [](const MachineSummary& m) { return figure_cell(m, m.worst); },
     [](const MachineSummary& m) { return figure_cell(m, m.worst); },
     [](const MachineSummary& m) { return figure_json(m, m.worst); }},
    {"spread", "spread", 8,
     [](const MachineSummary& m) { return m.runs > 0 ? short_fixed(m.spread * 100, 1, "%") : ""; },
     [](const MachineSummary& m) { return m.runs > 0 ? short_fixed(m.spread, 4) : ""; },
     [](const MachineSummary& m) { return m.runs > 0 ? rounded(m.spread) : Json(nullptr); }},
    {"relative", "relative", 10, [](const MachineSummary& m) { return ratio_text(m.relative, 3); },
     [](const MachineSummary& m) { return ratio_text(m.relative, 4); },
     [](const MachineSummary& m) { return ratio_json(m.relative); }},
    {"median_ci", "median 95 %", 13, [](const MachineSummary& m) { return median_ci_text(m); }, nullptr,
     [](const MachineSummary& m) {
       return m.median_ci ? Json::array({m.median_ci->low, m.median_ci->high}) : Json(nullptr);
     },
     median_ci_narrow},
    {"median_low", nullptr, 0, nullptr,
     [](const MachineSummary& m) { return m.median_ci ? figure_text(m.median_ci->low) : ""; }, nullptr},
    {"median_high", nullptr, 0, nullptr,
     [](const MachineSummary& m) { return m.median_ci ? figure_text(m.median_ci->high) : ""; }, nullptr},
    {"relative_ci", "relative 95 %", 14, [](const MachineSummary& m) { return relative_ci_text(m); }, nullptr,
     [](const MachineSummary& m) {
       return m.ratio ? Json::array({relative_end_json(m, &Interval::low), relative_end_json(m, &Interval::high)})
                      : Json(nullptr);
     },
     relative_ci_narrow},
    {"relative_low", nullptr, 0, nullptr, [](const MachineSummary& m) { return relative_end_csv(m, &Interval::low); },
     nullptr},
    {"relative_high", nullptr, 0, nullptr, [](const MachineSummary& m) { return relative_end_csv(m, &Interval::high); },
     nullptr},
    {"verdict", "verdict", 9, verdict_text,
     [](const MachineSummary& m) { return std::string(verdict_word(m.verdict)); },
     [](const MachineSummary& m) { return Json(verdict_word(m.verdict)); }, short_verdict},
    {"basis", "basis", 8, basis_text, basis_text, [](const MachineSummary& m) { return Json(basis_text(m)); }},
    {"batch_medians", nullptr, 0, nullptr, nullptr,
     [](const MachineSummary& m) {
       Json medians = Json::array();
       for (std::size_t b = 0; b < m.batches.size(); ++b) medians.push_back(m.batch_median(b));
       return medians;
     }},
    {"disturbed", "disturbed", 11, [](const MachineSummary& m) { return std::to_string(m.disturbed); },
     [](const MachineSummary& m) { return std::to_string(m.disturbed); },
     [](const MachineSummary& m) { return Json(m.disturbed); }},
    {"copies", "copies", 8, [](const MachineSummary& m) { return std::to_string(m.copies); },
     [](const MachineSummary& m) { return std::to_string(m.copies); },
     [](const MachineSummary& m) { return Json(m.copies); }},
    {"scaling", "scaling", 9, [](const MachineSummary& m) { return ratio_text(m.scaling, 2); },
     [](const MachineSummary& m) { return ratio_text(m.scaling, 4); },
     [](const MachineSummary& m) { return ratio_json(m.scaling); }},
    // Last, so that the columns before keep their places.
    {"left_out", nullptr, 0, nullptr, [](const MachineSummary& m) { return std::to_string(m.left_out); },
     [](const MachineSummary& m) { return Json(m.left_out); }},
    {"history", nullptr, 0, nullptr, nullptr, history_json},
    {"changes", nullptr, 0, nullptr, changes_count, changes_json},
    {"newest_change", nullptr, 0, nullptr, newest_change, nullptr},
};

}  // namespace

std::span<const Column> columns() { return kColumns; }

const Column& verdict_column() {
  constexpr std::size_t kVerdict = 14;
  static_assert(std::string_view(kColumns[kVerdict].key) == "verdict");
  return kColumns[kVerdict];
}

std::string formatted(double value, std::chars_format form, int precision) {
  char text[512];
  const auto end = std::to_chars(std::begin(text), std::end(text), value, form, precision).ptr;
  return {text, end};
}

std::string short_fixed(double value, int decimals, const char* suffix) {
  return std::fabs(value) < 1e6 ? formatted(value, std::chars_format::fixed, decimals) + suffix
                                : formatted(value, std::chars_format::scientific, 3) + suffix;
}

std::string figure_text(double figure) { return formatted(figure, std::chars_format::general, 7); }

}  // namespace report

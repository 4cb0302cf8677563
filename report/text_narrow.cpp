// The text table a person reads first: machine, runs, batches, the median
// with its interval, the ratio's interval and the verdict in a few words,
// in the columns a terminal has; the notes below say the rest.
#include <algorithm>
#include <cmath>
#include <vector>

#include "report/columns.hpp"
#include "report/formats.hpp"
#include "runtime/text.hpp"

namespace report {

namespace {

constexpr std::size_t kShortestName = 12;

// A figure to 4 significant digits, in fixed point while it is short.
std::string four_digits(double value) {
  if (!(value >= 1e-3 && value < 1e15)) return figure_text(value);
  const int magnitude = static_cast<int>(std::floor(std::log10(value)));
  const double step = std::pow(10.0, magnitude - 3);
  const double rounded = std::round(value / step) * step;
  return formatted(rounded, std::chars_format::fixed, std::max(0, 3 - magnitude));
}

std::string ratio_range(double low, double high) {
  return formatted(low, std::chars_format::fixed, 3) + "-" + formatted(high, std::chars_format::fixed, 3);
}

}  // namespace

std::string short_verdict(const MachineSummary& m) {
  switch (m.verdict) {
    case Verdict::kFaster:
    case Verdict::kSlower: {
      const double percent = (m.ratio->ratio - 1) * 100;
      return std::string(verdict_word(m.verdict)) + (percent >= 0 ? " +" : " -") +
             formatted(std::fabs(percent), std::chars_format::fixed, 1) + " %";
    }
    case Verdict::kNoDifference:
      return "no difference";
    case Verdict::kOneBatch:
      return "one batch";
    case Verdict::kNoReference:
      return "no reference";
    case Verdict::kNoReferenceAtDigits:
      return "other digits";
    case Verdict::kAllDisturbed:
      return "all disturbed";
    case Verdict::kNoVariation:
      return "no variation";
    case Verdict::kTooCoarse:
      return "no difference";
    default:
      return verdict_word(m.verdict);
  }
}

namespace {

struct NarrowColumn {
  const char* title;
  std::string (*cell)(const MachineSummary&);
};

constexpr NarrowColumn kNarrow[] = {
    {"runs",
     [](const MachineSummary& m) { return std::to_string(m.runs) + (m.runs > 0 && m.runs < kFewRuns ? "*" : ""); }},
    {"batches", [](const MachineSummary& m) { return std::to_string(m.batches.size()); }},
    {"median", [](const MachineSummary& m) { return m.runs > 0 ? four_digits(m.median) : ""; }},
    {"median 95 %",
     [](const MachineSummary& m) -> std::string {
       if (m.median_ci) return four_digits(m.median_ci->low) + "-" + four_digits(m.median_ci->high);
       return m.runs > 0 ? "needs 6 runs" : "";
     }},
    {"relative 95 %",
     [](const MachineSummary& m) -> std::string {
       if (m.verdict == Verdict::kReference) return "1";
       if (m.ratio) return ratio_range(m.ratio->interval.low, m.ratio->interval.high);
       return m.relative ? formatted(*m.relative, std::chars_format::fixed, 3) : "";
     }},
};

std::string padded(const std::string& text, std::size_t width, bool right) {
  const std::size_t shown = runtime::display_width(text);
  const std::string fill(width > shown ? width - shown : 0, ' ');
  return right ? fill + text : text + fill;
}

// What tells a row from the machine's other rows, after its name.
std::string row_suffix(const MachineSummary& m, bool digits_differ) {
  std::string suffix;
  if (digits_differ && m.digits > 0) suffix += ", " + std::to_string(m.digits) + " digits";
  if (m.copies > 1) suffix += ", " + std::to_string(m.copies) + " copies";
  return suffix.empty() ? suffix : " (" + suffix.substr(2) + ")";
}

}  // namespace

void write_narrow_text(const Report& r, int columns, const Sink& out) {
  const bool digits_differ = std::any_of(r.machines.begin(), r.machines.end(), [&](const MachineSummary& m) {
    return m.digits != r.machines.front().digits;
  });
  constexpr std::size_t kCount = std::size(kNarrow);
  std::vector<std::size_t> widths;
  for (const NarrowColumn& c : kNarrow) widths.push_back(runtime::display_width(c.title));
  std::size_t verdict_width = 7, name_width = 7, shortest = kShortestName;
  for (const MachineSummary& m : r.machines) {
    for (std::size_t i = 0; i < kCount; ++i) widths[i] = std::max(widths[i], kNarrow[i].cell(m).size());
    verdict_width = std::max(verdict_width, short_verdict(m).size());
    const std::size_t suffix = runtime::display_width(row_suffix(m, digits_differ));
    name_width = std::max(name_width, runtime::display_width(m.machine) + suffix);
    shortest = std::max(shortest, kShortestName + suffix);
  }
  std::size_t others = verdict_width + 2;
  for (const std::size_t w : widths) others += w + 2;
  const std::size_t room = columns > 0 ? static_cast<std::size_t>(columns) : 0;
  if (name_width + others > room) {
    name_width = std::min(name_width, std::max(shortest, room > others ? room - others : 0));
  }

  std::string line = padded("machine", name_width, false);
  for (std::size_t i = 0; i < kCount; ++i) line += "  " + padded(kNarrow[i].title, widths[i], true);
  out(line + "  verdict\n");
  for (const MachineSummary& m : r.machines) {
    const std::string suffix = row_suffix(m, digits_differ);
    const std::size_t suffix_width = runtime::display_width(suffix);
    const std::string name =
        runtime::cut_to_width(m.machine, name_width > suffix_width ? name_width - suffix_width : 1) + suffix;
    line = padded(name, name_width, false);
    for (std::size_t i = 0; i < kCount; ++i) line += "  " + padded(kNarrow[i].cell(m), widths[i], true);
    line += "  " + short_verdict(m);
    line.erase(line.find_last_not_of(' ') + 1);
    out(line + "\n");
  }
  std::string notes = text_notes(r);
  for (const MachineSummary& m : r.machines) {
    if (m.verdict != Verdict::kNoDifference) continue;
    notes += "No difference found for " + m.machine + row_suffix(m, digits_differ) + ": " +
             std::to_string(m.plan->batches) + " batches of " + std::to_string(m.plan->runs) +
             (m.plan->runs == 1 ? " run" : " runs") + " a side resolve 1 %.\n";
  }
  const auto any = [&](Verdict v) {
    return std::any_of(r.machines.begin(), r.machines.end(), [&](const MachineSummary& m) { return m.verdict == v; });
  };
  if (any(Verdict::kOneBatch)) notes += "One batch: measure again later for a verdict.\n";
  if (any(Verdict::kNoReference)) notes += "No reference: the reference has no row at these copies.\n";
  if (any(Verdict::kNoReferenceAtDigits)) notes += "Other digits: the reference has no row at these digits.\n";
  if (any(Verdict::kAllDisturbed)) notes += "All disturbed: every run of the row was left out.\n";
  if (any(Verdict::kNoVariation)) {
    notes += "No variation: a side's batch medians are all equal, so how its pace drifts cannot be measured.\n";
  }
  if (any(Verdict::kTooCoarse))
    notes += "No difference: whole seconds cannot resolve 1 % (--log times runs precisely).\n";
  notes +=
      "--wide shows every column: best, worst, spread, the ratio itself, the basis of each verdict,\n"
      "copies and scaling.\n";
  out(notes);
}

}  // namespace report

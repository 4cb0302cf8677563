// The notes below the text tables: what the marks and figures mean, how
// the verdicts are made, what was left out or skipped.
#include <algorithm>

#include "report/formats.hpp"
#include "report/history.hpp"
#include "report/text.hpp"

namespace report {

namespace {

template <typename Predicate>
bool any_row(const Report& r, Predicate predicate) {
  return std::any_of(r.machines.begin(), r.machines.end(), predicate);
}

}  // namespace

std::string long_lines_text(std::int64_t lines) {
  if (lines == 0) return "";
  return " (" + std::to_string(lines) + " longer than 16 MiB)";
}

std::string repeated_text(std::int64_t lines) {
  return std::to_string(lines) + (lines == 1 ? " repeated line" : " repeated lines") +
         " dropped: a logged run read again (the same batch and place, or an older log's same start and interval) "
         "counts once.\n";
}

std::string skipped_text(std::int64_t lines) {
  return std::to_string(lines) + (lines == 1 ? " other line skipped" : " other lines skipped");
}

std::string changes_text(const Report& r) {
  std::string lines;
  bool short_rows = false, flat_rows = false, long_rows = false;
  for (const MachineSummary& m : r.machines) {
    if (!m.history) continue;
    const bool enough = m.history->batches.size() >= kMinChangeBatches;
    short_rows = short_rows || !enough;
    flat_rows = flat_rows || (enough && !m.history->searched);
    long_rows = long_rows || m.history->batches.size() > kMaxChangeBatches;
    for (const RowChange& c : m.history->changes) {
      lines +=
          "  " + m.machine + ", " + when_words(*m.history, c) + ": " + change_words(c) + "; " + facts_words(c) + "\n";
    }
  }
  std::string text;
  if (!lines.empty()) {
    text = "Changes in a machine's level (1 % false alarms a row; since the last, its verdict):\n" + lines;
  }
  if (short_rows) {
    text += "Changes are looked for in rows of " + std::to_string(kMinChangeBatches) + " batches or more.\n";
  }
  if (flat_rows) text += "A row whose batch medians are all equal has no change to find.\n";
  if (long_rows) {
    text += "Changes are looked for in a row's latest " + std::to_string(kMaxChangeBatches) + " batches.\n";
  }
  return text;
}

std::string text_notes(const Report& r) {
  std::string notes = r.reference.empty()
                          ? "\nNo machine has a run left to compare.\n"
                          : "\nHigher is faster. Relative: to " + r.reference + ", over batches (below).\n";
  for (const auto& [group, name] : r.group_references) {
    const auto [digits, copies] = group;
    notes += "Relative " + (digits > 0 ? "at " + std::to_string(digits) + " digits" : std::string("for record lines")) +
             (copies > 1 ? ", " + std::to_string(copies) + " copies" : std::string()) + ": to " + name + ".\n";
  }
  if (any_row(r, [](const MachineSummary& m) { return m.runs > 0 && m.runs < kFewRuns; })) {
    notes += "* fewer than 3 runs: run the benchmark again on that machine before trusting its median.\n";
  }
  if (any_row(r, [](const MachineSummary& m) { return !m.precise; })) {
    notes +=
        "Each figure of a record file comes from a whole-second timing, so single runs of one\n"
        "machine differ by up to a fifth at 5 s, and their 95 % intervals are wide: compare\n"
        "the medians, and log runs (--log) for precise figures.\n";
  }
  if (any_row(r, [](const MachineSummary& m) { return m.precise; })) {
    notes += "Figures from run logs are precise: timed to the microsecond.\n";
  }
  if (any_row(r, [](const MachineSummary& m) { return m.copies > 1; })) notes += copies_text();
  if (any_row(r, [&](const MachineSummary& m) { return m.digits != r.machines.front().digits; })) {
    notes += "Warning: the rows differ in digit count; only figures of the same count compare.\n";
  }
  notes += batches_text();
  notes += changes_text(r);
  notes += left_out_text(r);
  if (r.skipped_lines > 0) notes += skipped_text(r.skipped_lines) + long_lines_text(r.long_lines) + ".\n";
  if (r.repeated_lines > 0) notes += repeated_text(r.repeated_lines);
  return notes;
}

}  // namespace report

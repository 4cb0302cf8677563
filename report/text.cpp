// The wide text table, every column: a row a machine, a bar at its median,
// notes below.
#include "runtime/text.hpp"

#include <algorithm>
#include <vector>

#include "report/columns.hpp"
#include "report/formats.hpp"

namespace report {

namespace {

std::string padded(const std::string& text, std::size_t width, bool right = false) {
  const std::size_t shown = runtime::display_width(text);
  const std::string fill(width > shown ? width - shown : 0, ' ');
  return right ? fill + text : text + fill;
}

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
         " dropped: a logged run read again (the same batch and place) counts once.\n";
}

std::string skipped_text(std::int64_t lines) {
  return std::to_string(lines) + (lines == 1 ? " other line skipped" : " other lines skipped");
}

void write_text(const Report& r, const Sink& out) {
  // Each column as wide as its usual width, or its longest cell and a blank.
  std::size_t name_width = 7;
  std::vector<Column> shown;
  for (const Column& c : columns()) {
    if (c.text != nullptr) shown.push_back(c);
  }
  std::vector<std::size_t> widths;
  widths.reserve(shown.size());
  for (const Column& c : shown) widths.push_back(static_cast<std::size_t>(c.width));
  double widest = 0;
  for (const MachineSummary& m : r.machines) {
    name_width = std::max(name_width, runtime::display_width(m.machine));
    for (std::size_t i = 0; i < widths.size(); ++i) widths[i] = std::max(widths[i], shown[i].text(m).size() + 2);
    widest = std::max(widest, m.median);
  }
  std::string line = padded("machine", name_width);
  for (std::size_t i = 0; i < widths.size(); ++i) line += padded(shown[i].title, widths[i], true);
  out(line + "\n");
  for (const MachineSummary& m : r.machines) {
    line = padded(m.machine, name_width);
    for (std::size_t i = 0; i < widths.size(); ++i) line += padded(shown[i].text(m), widths[i], true);
    const auto bar = static_cast<std::size_t>(widest > 0 ? m.median / widest * 30 + 0.5 : 0);
    if (m.runs > 0) {
      line += "  " + std::string(std::max<std::size_t>(bar, 1), '#');
    } else {
      line.erase(line.find_last_not_of(' ') + 1);
    }
    out(line + "\n");
  }
  out(text_notes(r));
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
  notes += left_out_text(r);
  if (r.skipped_lines > 0) notes += skipped_text(r.skipped_lines) + long_lines_text(r.long_lines) + ".\n";
  if (r.repeated_lines > 0) notes += repeated_text(r.repeated_lines);
  return notes;
}

}  // namespace report

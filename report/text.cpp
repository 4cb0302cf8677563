// The text table a person reads first: machine, runs, batches, the median
// with its interval, the ratio's interval and the verdict in a few words,
// in the columns a terminal has; the notes below say the rest.
#include "report/text.hpp"

#include <algorithm>
#include <string_view>
#include <vector>

#include "report/columns.hpp"
#include "report/formats.hpp"

namespace report {

namespace {

constexpr std::size_t kShortestName = 12;
// Where a terminal is narrower than the table, the columns read last leave
// first; then names are cut to as few as this.
constexpr const char* kLeaveFirst[] = {"batches", "runs", "median_ci", "median", "relative_ci"};
constexpr std::size_t kTightestName = 7;  // as wide as the title "machine"

// What tells a row from the machine's other rows, after its name.
std::string row_suffix(const MachineSummary& m, bool digits_differ) {
  std::string suffix;
  if (digits_differ && m.digits > 0) suffix += ", " + std::to_string(m.digits) + " digits";
  if (m.copies > 1) suffix += ", " + std::to_string(m.copies) + " copies";
  return suffix.empty() ? suffix : " (" + suffix.substr(2) + ")";
}

// The notes below the table: the advice of each "no difference", what the
// other verdicts' few words mean, and where the rest is.
std::string notes(const Report& r, bool digits_differ) {
  std::string notes = text_notes(r);
  for (const MachineSummary& m : r.machines) {
    if (m.verdict != Verdict::kNoDifference) continue;
    notes += "No difference found for " + m.machine + row_suffix(m, digits_differ) + ": " + plan_text(*m.plan) + ".\n";
  }
  std::vector<bool> shown;
  for (const MachineSummary& m : r.machines) {
    const auto v = static_cast<std::size_t>(m.verdict);
    if (v >= shown.size()) shown.resize(v + 1);
    shown[v] = true;
  }
  for (std::size_t v = 0; v < shown.size(); ++v) {
    const char* note = short_verdict_note(static_cast<Verdict>(v));
    if (shown[v] && note != nullptr) notes.append(note).append("\n");
  }
  return notes +
         "--wide shows every column: best, worst, spread, the ratio itself, the basis of each verdict,\n"
         "copies and scaling.\n";
}

// A column's title without the blanks the wide table aligns by.
std::string title_of(const Column& c) {
  std::string title = c.title;
  title.erase(title.find_last_not_of(' ') + 1);
  return title;
}

}  // namespace

void write_text(const Report& r, int columns, const Sink& out) {
  const bool digits_differ = std::any_of(r.machines.begin(), r.machines.end(), [&](const MachineSummary& m) {
    return m.digits != r.machines.front().digits;
  });
  std::vector<Column> shown;
  for (const Column& c : report::columns()) {
    if (c.narrow != nullptr) shown.push_back(c);
  }
  // The last column, the verdict, is left-aligned and as wide as its cells.
  std::vector<std::size_t> widths;
  widths.reserve(shown.size());
  for (const Column& c : shown) widths.push_back(runtime::display_width(title_of(c)));
  std::size_t name_width = 7, suffix = 0;
  for (const MachineSummary& m : r.machines) {
    for (std::size_t i = 0; i < shown.size(); ++i) widths[i] = std::max(widths[i], shown[i].narrow(m).size());
    const std::size_t row = runtime::display_width(row_suffix(m, digits_differ));
    name_width = std::max(name_width, runtime::display_width(m.machine) + row);
    suffix = std::max(suffix, row);
  }
  std::size_t others = 0;
  for (const std::size_t w : widths) others += w + 2;
  const std::size_t room = columns > 0 ? static_cast<std::size_t>(columns) : 0;
  std::size_t shortest = kShortestName + suffix;
  for (const std::string_view key : kLeaveFirst) {
    if (shortest + others <= room) break;
    const auto at = std::find_if(shown.begin(), shown.end(), [&](const Column& c) { return c.key == key; });
    const auto i = static_cast<std::size_t>(at - shown.begin());
    others -= widths[i] + 2;
    shown.erase(at);
    widths.erase(widths.begin() + static_cast<std::ptrdiff_t>(i));
  }
  // Below the machine and the verdict, the table keeps to this least width.
  if (shortest + others > room) shortest = kTightestName + suffix;
  if (name_width + others > room) {
    name_width = std::min(name_width, std::max(shortest, room > others ? room - others : 0));
  }

  std::string line = padded("machine", name_width);
  for (std::size_t i = 0; i < shown.size(); ++i) {
    line += "  " + padded(title_of(shown[i]), widths[i], i + 1 < shown.size());
  }
  line.erase(line.find_last_not_of(' ') + 1);
  out(line + "\n");
  for (const MachineSummary& m : r.machines) {
    const std::string suffix = row_suffix(m, digits_differ);
    const std::size_t suffix_width = runtime::display_width(suffix);
    const std::string name =
        runtime::cut_to_width(m.machine, name_width > suffix_width ? name_width - suffix_width : 1) + suffix;
    line = padded(name, name_width);
    for (std::size_t i = 0; i < shown.size(); ++i) {
      line += "  " + padded(shown[i].narrow(m), widths[i], i + 1 < shown.size());
    }
    line.erase(line.find_last_not_of(' ') + 1);
    out(line + "\n");
  }
  out(notes(r, digits_differ));
}

}  // namespace report

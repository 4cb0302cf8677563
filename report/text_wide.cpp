// The wide text table, every column: a row a machine, a bar at its median,
// notes below.
#include <algorithm>
#include <vector>

#include "report/columns.hpp"
#include "report/formats.hpp"
#include "report/text.hpp"

namespace report {

void write_wide_text(const Report& r, const Sink& out) {
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

}  // namespace report

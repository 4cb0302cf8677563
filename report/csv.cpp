// CSV: a header and a row a machine.
#include <algorithm>
#include <string_view>
#include <vector>

#include "report/columns.hpp"
#include "report/formats.hpp"
#include "report/history.hpp"

namespace report {

namespace {

std::string csv_field(const std::string& text) {
  const auto special = [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; };
  if (std::none_of(text.begin(), text.end(), special)) return text;
  std::string out = "\"";
  for (const char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

}  // namespace

void write_csv(const Report& r, const Sink& out) {
  // The changes' columns only where a row was long enough to have one, so
  // that a report of record files keeps its columns.
  const bool histories = std::any_of(r.machines.begin(), r.machines.end(), [](const MachineSummary& m) {
    return m.history && m.history->batches.size() >= kMinChangeBatches;
  });
  std::vector<Column> shown;
  for (const Column& c : columns()) {
    const std::string_view key = c.key;
    if (c.csv != nullptr && (histories || (key != "changes" && key != "newest_change"))) shown.push_back(c);
  }
  std::string line = "machine";
  for (const Column& c : shown) line += std::string(",") + c.key;
  // Where the groups' references differ, each row's own, last.
  const bool references = !r.group_references.empty();
  if (references) line += ",reference";
  out(line + "\n");
  for (const MachineSummary& m : r.machines) {
    line = csv_field(m.machine);
    for (const Column& c : shown) line.append(",").append(csv_field(c.csv(m)));
    if (references) {
      const std::string* reference = reference_of(r, m);
      line.append(",").append(reference != nullptr ? csv_field(*reference) : "");
    }
    out(line + "\n");
  }
}

}  // namespace report

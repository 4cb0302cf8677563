// JSON: {"reference", "skipped_lines", "left_out", "machines": [...]}, numbers
// as numbers.
#include <nlohmann/json.hpp>

#include "report/columns.hpp"
#include "report/formats.hpp"

namespace report {

namespace {

using Json = nlohmann::ordered_json;

std::string dumped(const Json& value, int indent) {
  return value.dump(indent, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

void write_json(const Report& r, const Sink& out) {
  Json by_reason = Json::object();
  for (const auto& [kind, count] : r.left_out) by_reason[kind] = count;
  out("{\n  \"reference\": " + (r.reference.empty() ? std::string("null") : dumped(Json(r.reference), -1)) +
      ",\n  \"skipped_lines\": " + std::to_string(r.skipped_lines) + ",\n  \"left_out\": " +
      dumped(Json{{"disturbed", r.left_out_runs}, {"by_reason", by_reason}}, -1) + ",\n  \"machines\": [");
  bool first = true;
  for (const MachineSummary& m : r.machines) {
    // Laid out as nlohmann's dump(2) lays out an object, a member a line.
    std::string row =
        (first ? "\n    {\n      \"machine\": " : ",\n    {\n      \"machine\": ") + dumped(Json(m.machine), -1);
    for (const Column& c : columns()) {
      if (c.json != nullptr) row += ",\n      \"" + std::string(c.key) + "\": " + dumped(c.json(m), -1);
    }
    out(row + "\n    }");
    first = false;
  }
  out(first ? "]\n}\n" : "\n  ]\n}\n");
}

}  // namespace report

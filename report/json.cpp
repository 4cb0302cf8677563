// JSON: {"reference", "skipped_lines", "left_out", "machines": [...]}, numbers
// as numbers.
#include <nlohmann/json.hpp>

#include "report/columns.hpp"
#include "report/formats.hpp"

namespace report {

namespace {

using Json = nlohmann::ordered_json;

// Values written as dump(-1) writes them, by one serializer into one
// buffer: dump() sets a serializer up for each value, and a million rows
// have 25 million values.
class Writer {
 public:
  explicit Writer(const Sink& out) : out_(out) {}
  void text(std::string_view text) { buffer_ += text; }
  void value(const Json& value) { serializer_.dump(value, false, false, 0); }
  void flush() {
    out_(buffer_);
    buffer_.clear();
  }

 private:
  const Sink& out_;
  std::string buffer_;
  nlohmann::detail::serializer<Json> serializer_{nlohmann::detail::output_adapter<char, std::string>(buffer_), ' ',
                                                 Json::error_handler_t::replace};
};

}  // namespace

void write_json(const Report& r, const Sink& out) {
  Json by_reason = Json::object();
  for (const auto& [kind, count] : r.left_out) by_reason[kind] = count;
  Writer w(out);
  w.text("{\n  \"reference\": ");
  w.value(r.reference.empty() ? Json(nullptr) : Json(r.reference));
  w.text(",\n  \"skipped_lines\": " + std::to_string(r.skipped_lines));
  // Said only when there are any, so that other reports keep their bytes.
  if (r.long_lines > 0) w.text(",\n  \"long_lines\": " + std::to_string(r.long_lines));
  if (r.repeated_lines > 0) w.text(",\n  \"repeated_lines\": " + std::to_string(r.repeated_lines));
  w.text(",\n  \"left_out\": ");
  w.value(Json{{"disturbed", r.left_out_runs}, {"by_reason", by_reason}});
  w.text(",\n  \"machines\": [");
  bool first = true;
  for (const MachineSummary& m : r.machines) {
    // Laid out as nlohmann's dump(2) lays out an object, a member a line.
    w.text(first ? "\n    {\n      \"machine\": " : ",\n    {\n      \"machine\": ");
    w.value(Json(m.machine));
    for (const Column& c : columns()) {
      if (c.json == nullptr) continue;
      w.text(",\n      \"");
      w.text(c.key);
      w.text("\": ");
      w.value(c.json(m));
    }
    // Where the groups' references differ, each row's own.
    if (!r.group_references.empty()) {
      const std::string* reference = reference_of(r, m);
      w.text(",\n      \"reference\": ");
      w.value(reference != nullptr ? Json(*reference) : Json(nullptr));
    }
    w.text("\n    }");
    w.flush();
    first = false;
  }
  w.text(first ? "]\n}\n" : "\n  ]\n}\n");
  w.flush();
}

}  // namespace report

// JSON: {"reference", "skipped_lines", "left_out", "machines": [...]}, numbers
// as numbers.
#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>

#include "report/columns.hpp"
#include "report/formats.hpp"

namespace report {

namespace {

using Json = nlohmann::ordered_json;

// The letter of a character's short escape in a JSON string; 0 for none.
char short_escape(char c) {
  switch (c) {
    case '"':
      return '"';
    case '\\':
      return '\\';
    case '\b':
      return 'b';
    case '\f':
      return 'f';
    case '\n':
      return 'n';
    case '\r':
      return 'r';
    case '\t':
      return 't';
    default:
      return 0;
  }
}

// Values written as dump(-1) writes them: the library's public dump() sets
// up a serializer for each call, which a million rows of 25 values cannot
// afford, so this writer lays out what is plain (null, integers, ASCII
// strings, arrays, objects) itself, and collects a chunk's floating-point
// numbers, whose shortest digits only the library writes as it does, to dump
// them in one array at a time.
class Writer {
 public:
  explicit Writer(const Sink& out) : out_(out) {}
  void text(std::string_view text) { layout_ += text; }
  void value(const Json& value) {
    switch (value.type()) {
      case Json::value_t::number_float:
        places_.push_back(layout_.size());
        floats_.push_back(value.get<double>());
        return;
      case Json::value_t::number_integer:
        return integer(value.get<std::int64_t>());
      case Json::value_t::number_unsigned:
        return integer(value.get<std::uint64_t>());
      case Json::value_t::string:
        return string(value.get_ref<const std::string&>(), value);
      case Json::value_t::array:
      case Json::value_t::object: {
        const bool array = value.is_array();
        layout_ += array ? '[' : '{';
        bool first = true;
        for (auto member = value.begin(); member != value.end(); ++member, first = false) {
          if (!first) layout_ += ',';
          if (!array) {
            string(member.key(), Json(member.key()));
            layout_ += ':';
          }
          this->value(member.value());
        }
        layout_ += array ? ']' : '}';
        return;
      }
      case Json::value_t::boolean:
        layout_ += value.get<bool>() ? "true" : "false";
        return;
      default:  // null; a discarded value is never made here
        layout_ += "null";
    }
  }
  // Writes the chunk out when it is large enough, or `now`.
  void flush(bool now = false) {
    if (!now && places_.size() < kChunk) return;
    const std::string dumped = Json(floats_).dump();
    whole_.clear();
    std::size_t from = 0, at = 1;  // after the array's '['
    for (const std::size_t place : places_) {
      whole_.append(layout_, from, place - from);
      from = place;
      std::size_t end = at;
      while (dumped[end] != ',' && dumped[end] != ']') ++end;  // a number holds neither
      whole_.append(dumped, at, end - at);
      at = end + 1;
    }
    whole_.append(layout_, from);
    out_(whole_);
    layout_.clear();
    places_.clear();
    floats_.clear();
  }

 private:
  static constexpr std::size_t kChunk = 4096;

  template <typename Integer>
  void integer(Integer value) {
    char text[24];
    layout_.append(text, std::to_chars(std::begin(text), std::end(text), value).ptr);
  }

  // ASCII escaped here as the library escapes it; anything else (UTF-8, or
  // bytes that are not, which it replaces) by the library.
  void string(const std::string& text, const Json& value) {
    const std::size_t start = layout_.size();
    layout_ += '"';
    std::size_t from = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
      const auto c = static_cast<unsigned char>(text[at]);
      if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') continue;
      if (c >= 0x80) {
        layout_.resize(start);
        layout_ += value.dump(-1, ' ', false, Json::error_handler_t::replace);
        return;
      }
      layout_.append(text, from, at - from);
      from = at + 1;
      if (const char letter = short_escape(text[at]); letter != 0) {
        layout_.append(1, '\\').append(1, letter);
      } else {
        constexpr char kHex[] = "0123456789abcdef";
        layout_.append("\\u00").append(1, kHex[c >> 4]).append(1, kHex[c & 0xF]);
      }
    }
    layout_.append(text, from).append(1, '"');
  }

  const Sink& out_;
  std::string layout_;               // the text between the floating-point numbers
  std::vector<std::size_t> places_;  // where in it each goes
  std::vector<double> floats_;
  std::string whole_;  // the chunk written out, kept for the next
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
  // Each column's member as its text before the value, and its value.
  std::vector<std::pair<std::string, Json (*)(const MachineSummary&)>> members;
  for (const Column& c : columns()) {
    if (c.json != nullptr) members.emplace_back(std::string(",\n      \"") + c.key + "\": ", c.json);
  }
  bool first = true;
  for (const MachineSummary& m : r.machines) {
    // Laid out as nlohmann's dump(2) lays out an object, a member a line.
    w.text(first ? "\n    {\n      \"machine\": " : ",\n    {\n      \"machine\": ");
    w.value(Json(m.machine));
    for (const auto& [before, json] : members) {
      w.text(before);
      w.value(json(m));
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
  w.flush(true);
}

}  // namespace report

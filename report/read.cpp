#include "report/read.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "runtime/log_keys.hpp"
#include "runtime/record_file.hpp"
#include "runtime/text.hpp"

namespace report {

namespace {

using Json = nlohmann::json;
namespace key = runtime::log_key;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr int kMinDigits = 4, kMaxDigits = 64000;
constexpr std::uint64_t kMaxCopies = 1024;

bool real_figure(double figure) { return std::isfinite(figure) && figure > 0; }

const Json* member(const Json& object, const char* name) {
  const auto it = object.find(name);
  return it == object.end() ? nullptr : &*it;
}

std::optional<std::string> string_at(const Json& object, const char* name) {
  const Json* value = member(object, name);
  if (value == nullptr || !value->is_string()) return std::nullopt;
  return value->get<std::string>();
}

// Any value as text: a string as it is, anything else as JSON.
std::string text_at(const Json& object, const char* name) {
  const Json* value = member(object, name);
  if (value == nullptr || value->is_null()) return "";
  return value->is_string() ? value->get<std::string>() : value->dump(-1, ' ', false, Json::error_handler_t::replace);
}

// Each fact as a name is shown: a control or a byte that is not UTF-8
// would break a line of text or a row of a table.
std::string fact_at(const Json& object, const char* name) { return runtime::displayable(text_at(object, name)); }

MachineFacts facts_of(const Json& run) {
  MachineFacts facts;
  facts.version = fact_at(run, key::kVersion);
  if (const Json* system = member(run, key::kSystem); system != nullptr && system->is_object()) {
    facts.cpu = fact_at(*system, key::kCpu);
    facts.logical_cpus = fact_at(*system, key::kLogicalCpus);
    facts.os = fact_at(*system, key::kOs);
    facts.kernel = fact_at(*system, key::kKernel);
    facts.governor = fact_at(*system, key::kGovernor);
  }
  if (const Json* build = member(run, key::kBuild); build != nullptr && build->is_object()) {
    facts.build =
        fact_at(*build, key::kCompiler) + ", " + fact_at(*build, key::kTarget) + ", " + fact_at(*build, key::kType);
  }
  return facts;
}

// A start as seconds since 1970: "2026-12-09T20:06:35+00:00", with "Z"
// for UTC, a space for the "T", fractional seconds; with no offset, the
// writer's clock read as if UTC, `local` set.
struct Start {
  double seconds;
  bool local;
};
std::optional<Start> start_seconds(const std::string& text) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  char separator = 0;
  int used = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%n", &year, &month, &day, &separator, &hour, &minute, &second,
                  &used) != 7 ||
      (separator != 'T' && separator != 't' && separator != ' ') || hour > 23 || minute > 59 || second > 60) {
    return std::nullopt;
  }
  std::string_view rest = std::string_view(text).substr(static_cast<std::size_t>(used));
  double fraction = 0;
  if (rest.starts_with('.')) {
    const std::size_t digits = rest.find_first_not_of("0123456789", 1);
    const std::string_view part = rest.substr(0, digits);
    if (part.size() < 2) return std::nullopt;
    fraction = std::strtod(std::string(part).c_str(), nullptr);
    rest.remove_prefix(part.size());
  }
  double offset = 0;
  const bool local = rest.empty();
  if (rest != "Z" && rest != "z" && !local) {
    int offset_hours = 0, offset_minutes = 0;
    char sign = 0;
    int zone_used = 0;
    const std::string zone(rest);
    if (std::sscanf(zone.c_str(), "%c%2d:%2d%n", &sign, &offset_hours, &offset_minutes, &zone_used) != 3 ||
        static_cast<std::size_t>(zone_used) != zone.size() || (sign != '+' && sign != '-') || offset_hours > 23 ||
        offset_minutes > 59) {
      return std::nullopt;
    }
    offset = (sign == '-' ? -1 : 1) * (offset_hours * 3600.0 + offset_minutes * 60.0);
  }
  const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                                         std::chrono::day(static_cast<unsigned>(day))};
  if (!date.ok() || hour < 0 || minute < 0 || second < 0) return std::nullopt;
  return Start{static_cast<double>(std::chrono::sys_days(date).time_since_epoch().count()) * 86400 + hour * 3600.0 +
                   minute * 60.0 + second + fraction - offset,
               local};
}

// A run log's line as a run, from its parsed JSON.
std::optional<Run> log_run(const Json& run) {
  if (!run.is_object() || member(run, key::kVersion) == nullptr) return std::nullopt;
  // Only a correct run measured anything.
  if (string_at(run, key::kResult) != key::kCorrect) return std::nullopt;
  const Json* digits = member(run, key::kDigits);
  // Copies run at once are measured by their throughput; a line without
  // the key is one copy's.
  const Json* copies = member(run, key::kCopies);
  const bool one_copy = copies == nullptr || *copies == 1;
  if (!one_copy && !(copies->is_number_unsigned() && copies->get<std::uint64_t>() >= 2 &&
                     copies->get<std::uint64_t>() <= kMaxCopies)) {
    return std::nullopt;
  }
  const Json* figure = member(run, one_copy ? key::kPreciseFigure : key::kThroughput);
  if (digits == nullptr || !digits->is_number_integer() || figure == nullptr || !figure->is_number()) {
    return std::nullopt;
  }
  // Read as the widest integer first, so that 2^64 - 1 is not -1.
  const bool in_range = digits->is_number_unsigned() ? digits->get<std::uint64_t>() <= kMaxDigits
                                                     : digits->get<std::int64_t>() <= kMaxDigits;
  if (!in_range || digits->get<std::int64_t>() < kMinDigits || !real_figure(figure->get<double>())) {
    return std::nullopt;
  }
  std::optional<std::string> machine = string_at(run, key::kIdentifier);
  if (!machine) {
    const Json* system = member(run, key::kSystem);
    if (system != nullptr && system->is_object()) machine = string_at(*system, key::kCpu);
  }
  if (!machine) return std::nullopt;
  Run logged{*machine,
             static_cast<int>(digits->get<std::int64_t>()),
             figure->get<double>(),
             true,
             {},
             facts_of(run),
             one_copy ? 1 : static_cast<int>(copies->get<std::uint64_t>())};
  logged.batch = string_at(run, key::kBatch).value_or("");
  if (const Json* place = member(run, key::kRunIndex); place != nullptr && place->is_number_integer()) {
    logged.place = std::max<std::int64_t>(place->get<std::int64_t>(), 0);
  }
  // Every logged run's start: a history puts its batches in time order.
  if (const std::optional<std::string> text = string_at(run, key::kStart)) {
    if (const std::optional<Start> start = start_seconds(*text)) {
      logged.start = start->seconds;
      logged.local_start = start->local;
    }
  }
  if (logged.batch.empty()) {
    if (const Json* elapsed = member(run, key::kElapsed); elapsed != nullptr && elapsed->is_number()) {
      logged.elapsed = std::max(elapsed->get<double>(), 0.0);
    }
  }
  // A reason's kind from its key, counted by the kind's name (a kind not
  // known here by its key); in a log written before the keys, from its
  // words before the first figure or colon.
  if (const Json* disturbed = member(run, key::kDisturbed); disturbed != nullptr && disturbed->is_array()) {
    const Json* kinds = member(run, key::kDisturbedKinds);
    for (std::size_t i = 0; i < disturbed->size(); ++i) {
      std::string kind;
      if (kinds != nullptr && kinds->is_array() && i < kinds->size() && (*kinds)[i].is_string()) {
        kind = (*kinds)[i].get<std::string>();
        const auto* known = std::find_if(key::kDisturbanceKinds.begin(), key::kDisturbanceKinds.end(),
                                         [&](const auto& k) { return kind == k.key; });
        if (known != key::kDisturbanceKinds.end()) kind = known->name;
      } else {
        kind = (*disturbed)[i].is_string() ? (*disturbed)[i].get<std::string>() : "";
        kind = kind.substr(0, kind.find_first_of("0123456789:"));
        kind.erase(kind.find_last_not_of(' ') + 1);
      }
      logged.disturbances.push_back(kind.empty() ? "other" : runtime::displayable(kind));
    }
  }
  return logged;
}

}  // namespace

std::optional<Run> record_run(const runtime::FileUnit::Line& line) {
  const std::optional<runtime::Record> record = runtime::parse_record(line);
  if (!record || !real_figure(record->figure)) return std::nullopt;
  Run run{std::string(record->machine), 0, record->figure, false};
  return run;
}

std::optional<Run> log_run(std::string_view line) { return log_run(Json::parse(line, nullptr, false)); }

bool read_runs(runtime::FileUnit& file, Runs& runs, int source) {
  std::string text_read;
  runtime::FileUnit::Line line{};
  for (bool first = true;; first = false) {
    bool cut = false;
    const runtime::FileUnit::ReadResult read = file.read_line(text_read, kMaxLine, cut);
    if (read == runtime::FileUnit::ReadResult::kError) return false;
    if (read == runtime::FileUnit::ReadResult::kEnd) return true;
    if (cut) {
      ++runs.skipped_lines;
      ++runs.long_lines;
      continue;
    }
    std::string_view text = text_read;
    if (first && text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    const std::size_t start = text.find_first_not_of(" \t");
    // A record line's machine may start with a brace too.
    std::optional<Run> run;
    if (start != std::string_view::npos && text[start] == '{') {
      const Json json = Json::parse(text, nullptr, false);
      runs.log_lines = runs.log_lines || (json.is_object() && member(json, key::kVersion) != nullptr);
      run = log_run(json);
    }
    if (!run && text_read.size() <= runtime::FileUnit::kLineWidth) {
      // A record line is short: read as the record file reads its lines.
      line.length = text_read.size();
      line.cut = false;
      std::copy(text_read.begin(), text_read.end(), line.columns.begin());
      run = record_run(line);
    }
    if (run) {
      run->source = source;
      runs.add(*run);
    } else {
      ++runs.skipped_lines;
    }
  }
}

}  // namespace report

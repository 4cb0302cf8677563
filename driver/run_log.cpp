#include "driver/run_log.hpp"

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

#include "driver/build_info.hpp"
#include "runtime/clock.hpp"
#include "runtime/format.hpp"
#include "runtime/os.hpp"
#include "runtime/record_file.hpp"
#include "runtime/stop.hpp"
#include "runtime/unit.hpp"

namespace driver {

namespace {

using Json = nlohmann::ordered_json;

runtime::FileUnit* log_file = nullptr;
std::string log_name;

template <typename T>
Json or_null(const std::optional<T>& value) {
  return value ? Json(*value) : Json(nullptr);
}

// A single-precision figure as the record file shows it, 7 significant digits.
double as_recorded(float figure) { return std::stod(runtime::field_g(figure, 15, 7)); }

}  // namespace

void open_run_log(const char* name) {
  static runtime::FileUnit file;
  if (!file.open_for_writing(name)) {
    runtime::exit_with_error("pibench: cannot open the run log '" + displayable(name) + "' for writing");
  }
  log_file = &file;
  log_name = name;
}

std::string log_line(const RunFacts& facts, int stop_code) {
  const runtime::os::SystemFacts system = runtime::os::system_facts();
  const double elapsed = std::round(runtime::elapsed_seconds(facts.interval.start, facts.interval.end) * 1e6) / 1e6;
  const double digits = facts.sizes.accepted_digits;
  const bool recorded = !facts.identifier.empty();
  std::string identifier = facts.identifier;
  identifier.erase(identifier.find_last_not_of(' ') + 1);
  const Json line = {
      {"pibench", build_info::kVersion},
      {"build",
       {{"compiler", build_info::kCompiler}, {"target", build_info::kTarget}, {"type", build_info::kBuildType}}},
      {"start", runtime::local_time_iso8601(facts.interval.start.calendar)},
      {"identifier", recorded ? Json(identifier) : Json(nullptr)},
      {"digits", facts.sizes.accepted_digits},
      {"vector_length", facts.sizes.vector_length},
      {"seconds", static_cast<long long>(facts.duration)},
      {"figure", recorded ? Json(as_recorded(facts.figure)) : Json(nullptr)},
      {"elapsed", elapsed},
      {"precise_figure", elapsed > 0 ? Json(0.0006 * digits * digits / elapsed) : Json(nullptr)},
      {"result", facts.wrong_from == 0 ? "correct" : "wrong"},
      {"wrong_from", facts.wrong_from == 0 ? Json(nullptr) : Json(facts.wrong_from)},
      {"stop", stop_code == 0 ? Json(nullptr) : Json(stop_code)},
      {"system",
       {{"cpu", or_null(system.cpu)},
        {"logical_cpus", or_null(system.logical_cpus)},
        {"os", or_null(system.os)},
        {"kernel", or_null(system.kernel)},
        {"governor", or_null(system.governor)}}},
  };
  return line.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void log_run(const RunFacts& facts, int stop_code) {
  if (log_file == nullptr) return;
  const std::string line = log_line(facts, stop_code);
  log_file->lock_exclusive();
  runtime::FileUnit::Record50 ignored;
  bool written = runtime::read_identifier(*log_file, ignored);  // to the end, to see its last line end
  if (written) {
    const runtime::InterruptsHeld held;
    written = log_file->append_line(line);
  }
  if (!written) {
    runtime::error_write("pibench: cannot write the run log '" + displayable(log_name) + "'\n");
    if (stop_code == 0) runtime::exit_with_status(1);
  }
}

std::optional<Run> parse_log_run(std::string_view line) {
  const Json run = Json::parse(line, nullptr, false);
  if (!run.is_object()) return std::nullopt;
  const auto string_at = [&](const Json& object, const char* key) -> std::optional<std::string> {
    const auto it = object.find(key);
    if (it == object.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
  };
  // Only a correct run measured anything.
  if (string_at(run, "result") != "correct") return std::nullopt;
  const auto digits = run.find("digits");
  const auto figure = run.find("precise_figure");
  if (digits == run.end() || !digits->is_number_integer() || figure == run.end() || !figure->is_number() ||
      !(figure->get<double>() > 0)) {
    return std::nullopt;
  }
  std::optional<std::string> machine = string_at(run, "identifier");
  if (!machine) {
    const auto system = run.find("system");
    if (system != run.end() && system->is_object()) machine = string_at(*system, "cpu");
  }
  if (!machine) return std::nullopt;
  return Run{*machine, digits->get<int>(), figure->get<double>(), true};
}

}  // namespace driver

#include "driver/run_log.hpp"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <utility>

#include "driver/build_info.hpp"
#include "driver/measurement.hpp"
#include "driver/recording.hpp"
#include "runtime/clock.hpp"
#include "runtime/format.hpp"
#include "runtime/log_keys.hpp"
#include "runtime/os.hpp"
#include "runtime/stop.hpp"
#include "runtime/text.hpp"
#include "runtime/unit.hpp"

namespace driver {

namespace {

using Json = nlohmann::ordered_json;
namespace key = runtime::log_key;

// A batch's name: when its first run began, and a random part, so that two
// started in the same second differ.
std::string batch_name(std::time_t first_start) {
  std::random_device random;
  char tail[16];
  std::snprintf(tail, sizeof tail, "-%08x", static_cast<unsigned>(random()));
  return runtime::local_time_iso8601(first_start) + tail;
}

template <typename T>
Json or_null(const std::optional<T>& value) {
  return value ? Json(*value) : Json(nullptr);
}

std::optional<double> micro(std::optional<double> seconds) {
  if (!seconds) return std::nullopt;
  return std::round(*seconds * 1e6) / 1e6;
}

// A single-precision figure as the record file shows it, 7 significant digits.
double as_recorded(float figure) { return std::stod(runtime::field_g(figure, 15, 7)); }

}  // namespace

RunLog::RunLog(const char* name) : name_(name) {
  // Checked before the log is opened, so that a refused log is not created,
  // and after, for a name that only then leads to the same file.
  const auto refuse_another_role = [&] {
    const std::optional<runtime::os::FileId> log = runtime::os::file_id_of(name);
    if (log && log->null_device) return;
    for (const char* other : {"Tarnoval.Dat", "PI.OUT", "PI.Tst"}) {
      if (runtime::same_file(name, other)) {
        runtime::exit_with_error("pibench: the run log '" + runtime::displayable(name) + "' is " + other +
                                 ": give the log a file of its own");
      }
    }
  };
  refuse_another_role();
  if (!file_.open_for_writing(name)) {
    runtime::exit_with_error("pibench: cannot open the run log '" + runtime::displayable(name) + "' for writing");
  }
  refuse_another_role();
}

void RunLog::batch_started() {
  batch_.clear();
  run_ = 0;
}

std::string log_line(const MeasuredRun& run, const std::string& machine, const BatchPlace& place) {
  const RunFacts& facts = run.facts;
  const Measurement& measured = run.measured;
  const runtime::os::SystemFacts system = runtime::os::system_facts();
  const RunHealth& health = measured.health;
  const bool recorded = !facts.identifier.empty();
  std::string identifier = recorded ? facts.identifier : machine;
  identifier.erase(identifier.find_last_not_of(' ') + 1);
  Json line = {
      {key::kVersion, build_info::kVersion},
      {key::kBuild,
       {{key::kCompiler, build_info::kCompiler},
        {key::kTarget, build_info::kTarget},
        {key::kType, build_info::kBuildType}}},
      {key::kStart, runtime::local_time_iso8601(facts.interval.start.calendar)},
      {key::kBatch, place.batch},
      {key::kRunIndex, place.run},
      {key::kIdentifier, recorded || !identifier.empty() ? Json(identifier) : Json(nullptr)},
      {key::kDigits, facts.sizes.accepted_digits},
      {key::kVectorLength, facts.sizes.vector_length},
      {key::kSeconds, static_cast<long long>(facts.duration)},
      {key::kFigure, recorded ? Json(as_recorded(facts.figure)) : Json(nullptr)},
      {key::kElapsed, measured.elapsed},
      {key::kPreciseFigure, or_null(measured.precise_figure)},
      {key::kCopies, facts.copies},
      {key::kThroughput, or_null(measured.throughput)},
  };
  if (facts.copies > 1) line[key::kCopyElapsed] = measured.copy_elapsed;
  // A run stopped before its result was checked has none.
  const bool wrong = facts.checked && facts.wrong_from != 0;
  line[key::kResult] = !facts.checked ? Json(nullptr) : Json(wrong ? key::kWrong : key::kCorrect);
  line[key::kWrongFrom] = wrong ? Json(facts.wrong_from) : Json(nullptr);
  if (facts.copies > 1) line[key::kWrongCopy] = wrong ? Json(facts.wrong_copy) : Json(nullptr);
  line[key::kStop] = run.stop == 0 ? Json(nullptr) : Json(run.stop);
  line[key::kCpuSeconds] = or_null(micro(health.cpu_seconds));
  line[key::kFrequencyMhz] = {{key::kAtStart, or_null(health.frequency_start)},
                              {key::kAtEnd, or_null(health.frequency_end)}};
  line[key::kLoadAverage] = or_null(health.load_average);
  line[key::kStealSeconds] = or_null(micro(health.steal_seconds));
  line[key::kSlices] = health.slices;
  Json reasons = nullptr, kinds = nullptr;
  if (health.disturbed) {
    reasons = kinds = Json::array();
    for (const Disturbance& reason : *health.disturbed) {
      reasons.push_back(reason.words);
      kinds.push_back(reason.kind.key);
    }
  }
  line[key::kDisturbed] = std::move(reasons);
  line[key::kDisturbedKinds] = std::move(kinds);
  line[key::kSystem] = {{key::kCpu, or_null(system.cpu)},
                        {key::kLogicalCpus, or_null(system.logical_cpus)},
                        {key::kOs, or_null(system.os)},
                        {key::kKernel, or_null(system.kernel)},
                        {key::kGovernor, or_null(system.governor)}};
  return line.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void RunLog::run_ended(const MeasuredRun& run) {
  if (batch_.empty()) batch_ = batch_name(run.facts.interval.start.calendar);
  const bool unrecorded = run.stop == 0 && run.facts.identifier.empty();
  const std::string line = log_line(run, unrecorded ? record_file_identifier() : run.facts.machine, {batch_, ++run_});
  file_.lock_exclusive();
  bool written = false;
  {
    const runtime::InterruptsHeld held;
    written = file_.append_line_at_end(line);
  }
  file_.unlock();
  if (!written) {
    runtime::error_write("pibench: cannot write the run log '" + runtime::displayable(name_) + "'\n");
    if (run.stop == 0) runtime::exit_with_status(1);
  }
}

}  // namespace driver

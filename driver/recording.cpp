#include "driver/recording.hpp"

#include <string_view>

#include "runtime/format.hpp"
#include "runtime/list_input.hpp"
#include "runtime/record_file.hpp"
#include "runtime/stop.hpp"
#include "runtime/unit.hpp"

namespace driver {

using runtime::ListRecord;

int record(RunFacts& facts, RunConsole& console) {
  const float duration = facts.duration;
  if (!(duration > 1.0f)) return 0;
  const long double digits = static_cast<float>(facts.sizes.accepted_digits);
  const auto benchmark_figure = static_cast<float>(static_cast<long double>(0.0006f) * digits * digits / duration);

  runtime::FileUnit record_file;
  if (!record_file.open("Tarnoval.Dat")) {
    console.message(ListRecord().text("Error opening Tarnoval.Dat").str());
    return 1002;
  }
  const auto record_file_error = [&] {
    console.message(ListRecord().text("Error reading/writing benchmark file.").str());
    return 912;
  };
  record_file.lock_exclusive();
  runtime::FileUnit::Record50 last_line;
  if (!runtime::read_identifier(record_file, last_line)) return record_file_error();
  const std::string_view identifier(last_line.data(), last_line.size());
  // A failing append still logs the name it was for.
  facts.machine = identifier.substr(0, identifier.find_last_not_of(' ') + 1);
  console.progress(ListRecord().text(identifier).real(benchmark_figure).str());
  {
    const runtime::InterruptsHeld held;
    if (!record_file.append_line(std::string(identifier) + " " + runtime::field_g(benchmark_figure, 15, 7))) {
      return record_file_error();
    }
  }
  record_file.close();
  facts.identifier = identifier;
  facts.figure = benchmark_figure;
  return 0;
}

std::string record_file_identifier() {
  runtime::FileUnit record_file;
  runtime::FileUnit::Record50 last_line;
  if (!record_file.open_for_reading("Tarnoval.Dat") || !runtime::read_identifier(record_file, last_line)) return "";
  std::string identifier(last_line.data(), last_line.size());
  identifier.erase(identifier.find_last_not_of(' ') + 1);
  return identifier;
}

}  // namespace driver

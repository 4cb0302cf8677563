#include "driver/computation.hpp"

#include <memory>
#include <string>
#include <string_view>

#include "driver/copies.hpp"
#include "runtime/clock.hpp"
#include "runtime/format.hpp"
#include "runtime/list_input.hpp"

namespace driver {

namespace {

using runtime::ListRecord;

// The time of day now, after its label.
std::string time_record(std::string_view label) {
  char time_text[8];
  runtime::time_of_day_text(time_text, 8);
  std::string record(" ");
  record.append(label).append(" ").append(time_text, 8).append("\n");
  return record;
}

}  // namespace

MeasuredRun compute(const Sizes& sizes, int copies, ResultFiles* files, RunConsole& console, PiFault fault) {
  MeasuredRun run;
  RunFacts& facts = run.facts;
  facts.sizes = sizes;
  facts.copies = copies;
  ResultFiles nowhere;
  ResultFiles& to = files != nullptr ? *files : nowhere;
  // The copies' threads first: where they cannot start, no file is touched.
  Copies copy_threads(copies, sizes, to.out, console, fault);
  bool timed = false;
  // A stop with its message; one before the timed interval is told as a
  // run that began and ended then.
  const auto stopped = [&](int code, std::string_view message) {
    console.message(message);
    if (!timed) facts.interval.start = facts.interval.end = runtime::read_clocks();
    run.measured = measure(facts);
    run.stop = code;
    return run;
  };
  const std::string write_error(ListRecord().text("Write error.").str());
  const auto to_console_and_file = [&](std::string_view record) {
    console.progress(record);
    return to.test.write(record);
  };

  if (files == nullptr) {
    nowhere.test.open_discarding();
    nowhere.out.open_discarding();
  } else if (!to.test.open("PI.Tst")) {
    return stopped(1000, ListRecord().text("Error opening Pi.Tst").str());
  } else if (!to.out.open("PI.OUT")) {
    return stopped(1001, ListRecord().text("Error opening Pi.Out").str());
  }
  const std::string start = time_record("Start time");
  if (!to_console_and_file(" Speed test data: dimension is " + runtime::field_i(sizes.vector_length, 5) + "\n") ||
      !to_console_and_file(start)) {
    return stopped(903, write_error);
  }
  console.progress(ListRecord().text("Calculating arctg(1/5).").str());
  const std::unique_ptr<Workspace> first = copy_threads.run(facts);
  timed = true;
  facts.checked = !facts.interval.cut_short;
  facts.duration = runtime::whole_seconds(facts.interval.start, facts.interval.end);
  if (facts.interval.cut_short) return stopped(903, write_error);

  const auto write_pi = [&] {
    runtime::group_records(first->block, " Pi = 3.", 9, groups_of(first->arctan5, sizes));
    return to.out.write(first->block);
  };
  // After the timed interval a write error ends the run as one that reached its end.
  if (!to_console_and_file(time_record("End time  ")) ||
      !to_console_and_file(ListRecord().text("Duration is").real(facts.duration).text(" sec").str()) || !write_pi()) {
    return stopped(903, write_error);
  }
  // A faulty machine or build must not record a figure.
  if (facts.wrong_from != 0) {
    ListRecord record;
    record.text("The result is wrong from decimal").integer(facts.wrong_from);
    if (copies > 1) record.text(" in copy").integer(facts.wrong_copy);
    return stopped(904, record.str());
  }
  run.measured = measure(facts);
  return run;
}

}  // namespace driver

#include "driver/run.hpp"

#include <cmath>

#include "mp/arctg.hpp"
#include "mp/common.hpp"
#include "runtime/format.hpp"
#include "runtime/list_input.hpp"

namespace driver {

using runtime::ListRecord;

std::int32_t set_up() {
  mp::common.radix = 10000;
  const float radix_real = static_cast<float>(mp::common.radix);
  mp::common.radix_root = static_cast<std::int32_t>(std::sqrt(radix_real));
  return mp::digits_per_element(mp::common.radix);
}

Sizes sizes_of(std::int32_t digit_count, std::int32_t digits_per_element) {
  Sizes sizes{};
  sizes.group_count = (digit_count - 1) / digits_per_element + 1;
  sizes.accepted_digits = digits_per_element * sizes.group_count;
  sizes.vector_length = sizes.group_count + 1;
  return sizes;
}

std::span<const std::int32_t> groups_of(const mp::DigitStorage& v, const Sizes& sizes) {
  return std::span<const std::int32_t>(v.data(), static_cast<std::size_t>(sizes.group_count));
}

Workspace::Workspace() : arctan5{}, arctan239{}, scratch1{}, scratch2{} {
  block.reserve(runtime::group_records_bound(mp::kMaxVectorLength - 1, 26));
}

void RunConsole::progress(std::string_view records) {
  if (!quiet_) runtime::console_write(records);
}

void RunConsole::message(std::string_view records) { runtime::console_write(records); }

void RunConsole::write_text_int(std::string_view text, std::int32_t value) {
  progress(ListRecord().text(text).integer(value).str());
}

void RunConsole::write_empty() { progress(ListRecord().str()); }

void RunConsole::passed_mark(std::int32_t steps_done) {
  if (mark_count < marks.size()) marks[mark_count++] = {runtime::os::mark_seconds(), steps_done};
}

TimedInterval timed_computation(Workspace& work, const Sizes& sizes, runtime::FileUnit& out_file, RunConsole& console) {
  const std::int32_t n = sizes.vector_length;
  auto& [arctan5, arctan239, scratch1, scratch2, block] = work;
  console.mark_count = 0;
  TimedInterval interval;
  interval.start = runtime::read_clocks();  // the timed interval begins
  console.passed_mark(0);
  mp::arctg(arctan5, scratch1, scratch2, n, 5, console);
  // A write that fails ends the computation there, cut short.
  const auto cut_short = [&] {
    interval.end = runtime::read_clocks();
    interval.cut_short = true;
    return interval;
  };
  runtime::group_records(block, " ArcTangent( 1 / 5 ) = 0.", 26, groups_of(arctan5, sizes));
  if (!out_file.write(block)) return cut_short();
  console.progress(ListRecord().text("Calculating arctg(1/239).").str());
  console.passed_mark(0);
  mp::arctg(arctan239, scratch1, scratch2, n, 239, console);
  runtime::group_records(block, " ArcTangent( 1/239 ) = 0.", 26, groups_of(arctan239, sizes));
  if (!out_file.write(block)) return cut_short();
  console.progress(ListRecord().text("Calculating arctg(1/5)*4.").str());
  mp::vec_mul_small(arctan5, n, 4);
  console.progress(ListRecord().text("Calculating arctg(1/5)*4-arctg(1/239).").str());
  mp::vec_sub(arctan5, arctan239, n);
  console.progress(ListRecord().text("Calculating pi=(arctg(1/5)*4-arctg(1/239))*4.").str());
  mp::vec_mul_small(arctan5, n, 4);       // the integer part 3 is dropped
  interval.end = runtime::read_clocks();  // the timed interval ends
  return interval;
}

}  // namespace driver

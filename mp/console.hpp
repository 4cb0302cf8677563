#pragma once
// The console as the arithmetic sees it: the caller supplies the rendering.
#include <cstdint>
#include <string_view>

namespace mp {

class Console {
 public:
  virtual ~Console() = default;
  // One list-directed record holding a text item and then an integer item.
  virtual void write_text_int(std::string_view text, std::int32_t value) = 0;
  // A list-directed record with no items: an empty line.
  virtual void write_empty() = 0;
  // Told as the series passes each of its marks: after steps_done of its
  // total steps, at kMarksPerSeries even fractions, the last at the end.
  // Nothing is done here; a run that measures its evenness listens.
  virtual void passed_mark(std::int32_t /*steps_done*/) {}
};

constexpr std::int32_t kMarksPerSeries = 4;

}  // namespace mp

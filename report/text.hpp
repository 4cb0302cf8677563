#pragma once
// What the two text tables share: their cells padded to a width, and the
// notes below them.
#include <string>

#include "report/statistics.hpp"
#include "runtime/text.hpp"

namespace report {

// `text` filled with blanks to `width` columns, on the left if `right`.
inline std::string padded(const std::string& text, std::size_t width, bool right = false) {
  const std::size_t shown = runtime::display_width(text);
  const std::string fill(width > shown ? width - shown : 0, ' ');
  return right ? fill + text : text + fill;
}

// The notes below either table.
std::string text_notes(const Report& report);

}  // namespace report

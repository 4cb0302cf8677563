#include "runtime/text.hpp"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace runtime {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

struct WidthRange {
  char32_t first, last;
  int columns;
};
constexpr WidthRange kWidths[] = {
#include "runtime/width_table.inc"
};

int columns_of(char32_t c) {
  if (c < kWidths[0].first) return 1;
  const auto* range = std::upper_bound(std::begin(kWidths), std::end(kWidths), c,
                                       [](char32_t value, const WidthRange& r) { return value < r.first; });
  if (range == std::begin(kWidths)) return 1;
  --range;
  return c <= range->last ? range->columns : 1;
}

// The length of the sequence a lead byte starts (0 for no lead byte), and
// the range of its second byte.
struct Lead {
  std::size_t length;
  unsigned char low, high;
};
Lead lead_of(unsigned char b) {
  if (b < 0x80) return {1, 0, 0};
  if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
  if (b == 0xE0) return {3, 0xA0, 0xBF};
  if (b == 0xED) return {3, 0x80, 0x9F};  // no surrogates
  if (b >= 0xE1 && b <= 0xEF) return {3, 0x80, 0xBF};
  if (b == 0xF0) return {4, 0x90, 0xBF};
  if (b >= 0xF1 && b <= 0xF3) return {4, 0x80, 0xBF};
  if (b == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

// Controls, noncharacters, and the bidirectional embeddings, overrides and
// isolates, which would turn the text after a name around.
bool shown_as_replacement(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0xFFFE || c == 0xFFFF || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::string displayable(std::string_view bytes) {
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= 0x20 && c < 0x7F; })) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const Lead lead = lead_of(b);
    // The continuation bytes that fit, up to the first that does not.
    std::size_t k = 1;
    char32_t c = lead.length == 1 ? b : b & (0x7F >> lead.length);
    for (; k < lead.length && i + k < bytes.size(); ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      const bool fits = k == 1 ? next >= lead.low && next <= lead.high : next >= 0x80 && next <= 0xBF;
      if (!fits) break;
      c = c << 6 | (next & 0x3F);
    }
    if (lead.length > 0 && k == lead.length && !shown_as_replacement(c)) {
      out.append(bytes.substr(i, k));
    } else {
      out += kReplacement;
    }
    i += lead.length > 0 ? k : 1;
  }
  return out;
}

std::size_t display_width(std::string_view utf8) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      ++width;
      ++i;
      continue;
    }
    const std::size_t length = std::max<std::size_t>(lead_of(b).length, 1);
    char32_t c = length == 1 ? b : b & (0x7F >> length);
    for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) c = c << 6 | (utf8[i + k] & 0x3F);
    width += static_cast<std::size_t>(columns_of(c));
    i += length;
  }
  return width;
}

std::string cut_to_width(std::string_view utf8, std::size_t width) {
  if (display_width(utf8) <= width) return std::string(utf8);
  if (width == 0) return "";
  std::size_t end = 0, used = 0;
  while (end < utf8.size()) {
    std::size_t next = end + 1;
    while (next < utf8.size() && (static_cast<unsigned char>(utf8[next]) & 0xC0) == 0x80) ++next;
    const std::size_t columns = display_width(utf8.substr(end, next - end));
    if (used + columns > width - 1) break;
    used += columns;
    end = next;
  }
  return std::string(utf8.substr(0, end)) + "\xE2\x80\xA6";  // U+2026
}

}  // namespace runtime

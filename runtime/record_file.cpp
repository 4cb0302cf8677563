#include "runtime/record_file.hpp"

#include <cstdlib>
#include <string>

#include "runtime/format.hpp"

namespace runtime {

bool read_identifier(FileUnit& file, FileUnit::Record50& identifier) {
  identifier.fill(' ');
  FileUnit::Record50 line;
  for (;;) {
    const FileUnit::ReadResult read = file.read_a50(line);
    if (read == FileUnit::ReadResult::kEnd) return true;
    if (read == FileUnit::ReadResult::kError) return false;
    identifier = line;
  }
}

std::optional<Record> parse_record(const FileUnit::Line& line) {
  constexpr std::size_t kWidth = FileUnit::kRecordWidth;
  constexpr std::size_t kFigureWidth = 15;
  const std::string_view text = line.text();
  if (line.cut || text.size() <= kWidth + 1 || text[kWidth] != ' ') return std::nullopt;
  // The figure's trailing blanks may have been taken off by an editor, and
  // blanks may follow it.
  std::string field(text.substr(kWidth + 1));
  if (field.size() > kFigureWidth && field.find_first_not_of(' ', kFigureWidth) != std::string::npos) {
    return std::nullopt;
  }
  field.resize(kFigureWidth, ' ');
  const std::size_t first = field.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  const std::string number(field.substr(first, field.find(' ', first) - first));
  char* end = nullptr;
  const double figure = std::strtod(number.c_str(), &end);
  // Only the very bytes G15.7 writes for the value read: a line that merely
  // looks like a record ("1e3", "inf", a figure moved a column) is not one.
  if (end != number.c_str() + number.size() || field_g(static_cast<float>(figure), 15, 7) != field) {
    return std::nullopt;
  }
  std::string_view machine = text.substr(0, kWidth);
  machine = machine.substr(0, machine.find_last_not_of(' ') + 1);
  return Record{machine, figure};
}

}  // namespace runtime

#pragma once
// The record file as pibench reads it: the program takes the identifier from
// its last line, the report takes the records from every line.
#include <optional>
#include <string_view>

#include "runtime/unit.hpp"

namespace runtime {

// Reads the file to its end: `identifier` is the last line's first 50
// columns, blank-padded (50 blanks when the file has no line). False on a
// read error.
bool read_identifier(FileUnit& file, FileUnit::Record50& identifier);

// A line as pibench appends one: columns 1-50 the machine, column 51 a
// blank, columns 52-66 the figure as G15.7 writes it, nothing after.
struct Record {
  std::string_view machine;  // trailing blanks removed; points into the line
  double figure;             // the value of the figure's decimal text
};
std::optional<Record> parse_record(const FileUnit::Line& line);

}  // namespace runtime

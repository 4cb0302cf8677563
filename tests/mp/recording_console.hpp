#pragma once
#include <string>
#include <vector>

#include "mp/console.hpp"

// Keeps what the arithmetic writes: "text|value" for a text-and-integer
// record, "" for an empty one.
class RecordingConsole : public mp::Console {
 public:
  void write_text_int(std::string_view text, std::int32_t value) override {
    lines.push_back(std::string(text) + "|" + std::to_string(value));
  }
  void write_empty() override { lines.emplace_back(); }
  std::vector<std::string> lines;
};

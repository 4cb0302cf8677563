#pragma once
// What a sequence of answer reads does with the same input, here and in the
// library: each read's code (0 read, -1 end, 1 error) and the variable after it.
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/list_input.hpp"
#include "tests/runtime/f2c_oracle.h"
#include "tests/runtime/scratch_dir.hpp"
#include "tests/runtime/string_source.hpp"

namespace read_trace {

using runtime::ReadOutcome;

constexpr int kReads = 6;

// What a sequence of reads from the same input does: each read's code
// (0 read, -1 end, 1 error) and the variable after it, as the oracle reports.
struct Trace {
  std::vector<int> codes;
  std::vector<std::int32_t> values;
  bool operator==(const Trace&) const = default;
};

inline std::string show(const Trace& t) {
  std::string s;
  for (std::size_t i = 0; i < t.codes.size(); ++i) {
    s.append("(").append(std::to_string(t.codes[i])).append(",").append(std::to_string(t.values[i])).append(")");
  }
  return s;
}

inline Trace ours(const std::string& input) {
  StringSource source(input);
  Trace t;
  std::int32_t value = 16000;
  for (int i = 0; i < kReads; ++i) {
    const ReadOutcome outcome = runtime::read_list_integer(source, value);
    const int code = outcome == ReadOutcome::kEnd ? -1 : outcome == ReadOutcome::kError ? 1 : 0;
    t.codes.push_back(code);
    t.values.push_back(value);
    if (code != 0) break;
  }
  return t;
}

inline Trace reference(const ScratchDir& dir, const std::string& input) {
  dir.write("answer", input);
  std::int32_t values[kReads];
  int codes[kReads];
  const int reads = oracle_read_integers((dir / "answer").c_str(), 16000, kReads, values, codes);
  Trace t;
  for (int i = 0; i < reads; ++i) {
    t.codes.push_back(codes[i]);
    t.values.push_back(values[i]);
  }
  return t;
}

// The library converts a value beyond 32 bits with a float-to-int conversion
// the C language leaves undefined: x86 gives -2147483648, aarch64 saturates
// to 2147483647 (and it may then meet the end of the input). It is a read
// error here. Every other verdict must agree.
inline bool agrees(const Trace& mine, const Trace& ref) {
  if (mine == ref) return true;
  const std::size_t last = mine.codes.size() - 1;
  if (mine.codes[last] != 1 || last >= ref.codes.size()) return false;
  if (ref.codes[last] == 1 || (ref.values[last] != INT32_MIN && ref.values[last] != INT32_MAX)) return false;
  for (std::size_t i = 0; i < last; ++i) {
    if (mine.codes[i] != ref.codes[i] || mine.values[i] != ref.values[i]) return false;
  }
  return true;
}

}  // namespace read_trace

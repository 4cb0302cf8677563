// Any bytes as answers: every read ends in a value, a null, the end or an
// error, and agrees with the library wherever the library is the reference:
// no carriage returns and no value beyond 32 bits (deliberate differences),
// no bytes above 127 (the library looks those up past the end of its
// character table).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/runtime/read_trace.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ScratchDir dir;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const read_trace::Trace mine = read_trace::ours(input);
  for (const char c : input) {
    if (c == '\r' || static_cast<unsigned char>(c) > 127) return 0;
  }
  const read_trace::Trace ref = read_trace::reference(dir, input);
  if (!read_trace::agrees(mine, ref)) {
    std::fprintf(stderr, "ours %s, library %s\n", read_trace::show(mine).c_str(), read_trace::show(ref).c_str());
    std::abort();
  }
  return 0;
}

// Any bytes as a record file: the identifier is the first 50 bytes of the
// last line (blank-padded, a carriage return ending the line left out), and
// reading leaves the file as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "runtime/record_file.hpp"
#include "runtime/unit.hpp"
#include "tests/runtime/scratch_dir.hpp"

namespace {

std::string expected_identifier(const std::string& content) {
  std::string body = content;
  if (!body.empty() && body.back() == '\n') body.pop_back();
  std::string last = body.substr(body.rfind('\n') == std::string::npos ? 0 : body.rfind('\n') + 1);
  if (content.empty()) last.clear();
  if (!last.empty() && last.back() == '\r' && last.size() <= 50) last.pop_back();
  last = last.substr(0, 50);
  return last + std::string(50 - last.size(), ' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ScratchDir dir;
  const std::string content(reinterpret_cast<const char*>(data), size);
  dir.write("Tarnoval.Dat", content);
  runtime::FileUnit unit;
  if (!unit.open((dir / "Tarnoval.Dat").c_str())) std::abort();
  runtime::FileUnit::Record50 last;
  if (!runtime::read_identifier(unit, last)) std::abort();
  runtime::close_all_units();
  if (std::string(last.data(), last.size()) != expected_identifier(content)) std::abort();
  if (dir.read("Tarnoval.Dat") != content) std::abort();
  return 0;
}

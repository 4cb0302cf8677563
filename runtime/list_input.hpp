#pragma once
// The list-directed read of one integer, as the Fortran run-time library
// reads it from a sequential formatted unit: one statement consumes the rest
// of the record (line) it ends in.
#include <cstdint>
#include <string>
#include <utility>

namespace runtime {

// A stream of bytes; once it has ended it stays ended.
class ByteSource {
 public:
  static constexpr int kEnd = -1;
  virtual ~ByteSource() = default;
  virtual int get() = 0;  // a byte 0..255, or kEnd
};

// The bytes of a string: an answer given on the command line.
class StringSource : public ByteSource {
 public:
  explicit StringSource(std::string bytes) : bytes_(std::move(bytes)) {}
  int get() override { return next_ < bytes_.size() ? static_cast<unsigned char>(bytes_[next_++]) : kEnd; }

 private:
  std::string bytes_;
  std::size_t next_ = 0;
};

enum class ReadOutcome {
  kValue,  // value holds the number read
  kNull,   // a null value: value is left as it was
  kEnd,    // end of input
  kError,  // not an integer, or out of the 32-bit range
};

// Reads one integer item and skips to the end of its line.
ReadOutcome read_list_integer(ByteSource& source, std::int32_t& value);

}  // namespace runtime

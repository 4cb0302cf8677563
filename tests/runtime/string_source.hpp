#pragma once
#include <string>
#include <utility>

#include "runtime/list_input.hpp"

// Answers from a string, for the list-directed reader.
class StringSource : public runtime::ByteSource {
 public:
  explicit StringSource(std::string bytes) : bytes_(std::move(bytes)) {}
  int get() override { return at_ == bytes_.size() ? kEnd : static_cast<unsigned char>(bytes_[at_++]); }

 private:
  std::string bytes_;
  std::size_t at_ = 0;
};

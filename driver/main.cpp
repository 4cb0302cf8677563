// Computes pi to the digit count given as the first argument.
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "mp/arctg.hpp"
#include "mp/common.hpp"
#include "mp/digits.hpp"

namespace {

class StdoutConsole : public mp::Console {
 public:
  void write_text_int(std::string_view text, std::int32_t value) override {
    std::printf(" %.*s %d\n", static_cast<int>(text.size()), text.data(), value);
  }
  void write_empty() override { std::printf("\n"); }
};

mp::DigitStorage arctan5, arctan239, scratch1, scratch2;

}  // namespace

int main(int argc, char** argv) {
  const int digits = argc > 1 ? std::atoi(argv[1]) : 1000;
  const std::int32_t groups = (digits - 1) / 4 + 1;
  const std::int32_t n = groups + 1;
  StdoutConsole console;
  mp::arctg(arctan5, scratch1, scratch2, n, 5, console);
  mp::arctg(arctan239, scratch1, scratch2, n, 239, console);
  mp::vec_mul_small(arctan5, n, 4);
  mp::vec_sub(arctan5, arctan239, n);
  mp::vec_mul_small(arctan5, n, 4);
  std::printf("3.");
  for (std::int32_t i = 0; i < groups; ++i) std::printf("%04d", arctan5[i]);
  std::printf("\n");
}

// What the timed interval runs allocates nothing: the series with its
// console lines, the progress lines and the arctangent blocks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "mp/arctg.hpp"
#include "mp/common.hpp"
#include "mp/digits.hpp"
#include "runtime/format.hpp"

namespace {
bool counting = false;
int allocations = 0;
}  // namespace

void* operator new(std::size_t size) {
  if (counting) ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

class ListedConsole : public mp::Console {
 public:
  void write_text_int(std::string_view text, std::int32_t value) override {
    bytes += runtime::ListRecord().text(text).integer(value).str().size();
  }
  void write_empty() override { bytes += runtime::ListRecord().str().size(); }
  std::size_t bytes = 0;
};

mp::DigitStorage a5, a239, s1, s2;

TEST(TimedInterval, AllocatesNothing) {
  constexpr std::int32_t n = 4001;
  std::string block;
  block.reserve(runtime::group_records_bound(mp::kMaxVectorLength - 1, 26));
  ListedConsole console;
  const std::span<const std::int32_t> groups(a5.data(), n - 1);

  counting = true;
  mp::arctg(a5, s1, s2, n, 5, console);
  runtime::group_records(block, " ArcTangent( 1 / 5 ) = 0.", 26, groups);
  console.bytes += runtime::ListRecord().text("Calculating arctg(1/239).").str().size();
  mp::arctg(a239, s1, s2, n, 239, console);
  runtime::group_records(block, " ArcTangent( 1/239 ) = 0.", 26, groups);
  mp::vec_mul_small(a5, n, 4);
  mp::vec_sub(a5, a239, n);
  mp::vec_mul_small(a5, n, 4);
  counting = false;

  EXPECT_EQ(allocations, 0);
  EXPECT_GT(console.bytes, 0u);
  EXPECT_EQ(a5[0], 1415);
}

}  // namespace

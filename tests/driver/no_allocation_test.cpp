// The driver's timed interval allocates nothing: the series with their
// console lines, the progress lines, the arctangent blocks and the clocks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "driver/run.hpp"
#include "runtime/unit.hpp"

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

TEST(TimedInterval, AllocatesNothing) {
  const char* name = "no_allocation_PI.OUT";
  std::filesystem::remove(name);
  driver::set_up();
  runtime::FileUnit out_file;
  ASSERT_TRUE(out_file.open(name));

  static driver::Workspace work;
  driver::RunConsole console;
  counting = true;
  driver::timed_computation(work, {4000, 16000, 4001}, out_file, console);
  counting = false;

  EXPECT_EQ(allocations, 0);
  EXPECT_EQ(console.mark_count, driver::kSeriesMarks);  // each series' start and marks
  std::string first_line;
  std::getline(std::ifstream(name), first_line);
  EXPECT_EQ(first_line.substr(0, 33), " ArcTangent( 1 / 5 ) = 0.19739555");
}

}  // namespace

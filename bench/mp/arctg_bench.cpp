// The vector operations and both arctangent series at the largest length,
// beside a baseline: the plain port of the series, one element per step of
// each loop with the 32-bit hardware division.
//
//   build/bench/mp_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string_view>

#include "mp/arctg.hpp"
#include "mp/common.hpp"
#include "mp/digits.hpp"
#include "mp/estimate.hpp"

namespace {

constexpr std::int32_t kLength = mp::kMaxVectorLength;

class SilentConsole : public mp::Console {
 public:
  void write_text_int(std::string_view, std::int32_t) override {}
  void write_empty() override {}
};

mp::DigitStorage a, b, c;

void fill(mp::DigitStorage& v, std::int32_t seed) {
  for (std::int32_t i = 0; i < kLength; ++i) v[i] = (i * 7919 + seed) % 10000;
}

namespace plain {

// Volatile, as the radix in common storage: read at each call, never folded.
volatile std::int32_t radix = 10000;

void copy(const std::int32_t* s, std::int32_t* d, std::int32_t n) {
  for (std::int32_t i = 0; i < n; ++i) d[i] = s[i];
}
void clear_tail(std::int32_t* v, std::int32_t n, std::int32_t k) {
  for (std::int32_t i = k; i <= n; ++i) v[i - 1] = 0;
}
void add(std::int32_t* x, const std::int32_t* y, std::int32_t n) {
  const std::int32_t r = radix;
  std::int32_t carry = 0;
  for (std::int32_t i = n - 1; i >= 0; --i) {
    const std::int32_t s = x[i] + y[i] + carry;
    carry = s / r;
    x[i] = s - r * carry;
  }
}
void sub(std::int32_t* x, const std::int32_t* y, std::int32_t n) {
  const std::int32_t r = radix;
  std::int32_t borrow = 0;
  for (std::int32_t i = n - 1; i >= 0; --i) {
    std::int32_t t = x[i] - y[i] - borrow;
    if (t < 0) {
      t += r;
      borrow = 1;
    } else {
      borrow = 0;
    }
    x[i] = t;
  }
}
void div_small(std::int32_t* v, std::int32_t n, std::int32_t d) {
  const std::int32_t r = radix;
  std::int32_t rem = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    const std::int32_t s = r * rem + v[i];
    const std::int32_t q = s / d;
    rem = s - d * q;
    v[i] = q;
  }
}
void arctg(std::int32_t* result, std::int32_t* term, std::int32_t* power, std::int32_t n, std::int32_t x) {
  std::int32_t step = x, per_step = 2;
  if (x < mp::common.radix_root) {
    step = x * x;
    per_step = 1;
  }
  power[0] = radix;
  clear_tail(power, n, 2);
  const std::int32_t expansion = mp::expansion_length(x, n);
  div_small(power, n, x);
  copy(power, result, n);
  std::int32_t k = 2;
  for (std::int32_t j = expansion / 2; j > 0; --j) {
    for (int i = 0; i < per_step; ++i) div_small(power, n, step);
    copy(power, term, n);
    div_small(term, n, 2 * k - 1);
    sub(result, term, n);
    for (int i = 0; i < per_step; ++i) div_small(power, n, step);
    copy(power, term, n);
    div_small(term, n, 2 * k + 1);
    add(result, term, n);
    k += 2;
  }
}

}  // namespace plain

void BM_vec_div_small(benchmark::State& state) {
  fill(a, 1);
  for (auto _ : state) {
    a[0] = mp::common.radix;
    mp::vec_div_small(a, kLength, static_cast<std::int32_t>(state.range(0)));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_vec_div_small)->Arg(25)->Arg(239)->Arg(91565);

void BM_plain_div_small(benchmark::State& state) {
  fill(a, 1);
  for (auto _ : state) {
    a[0] = mp::common.radix;
    plain::div_small(a.data(), kLength, static_cast<std::int32_t>(state.range(0)));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_plain_div_small)->Arg(25)->Arg(239)->Arg(91565);

void BM_vec_mul_small(benchmark::State& state) {
  fill(a, 1);
  for (auto _ : state) {
    mp::vec_mul_small(a, kLength, 4);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_vec_mul_small);

void BM_vec_add(benchmark::State& state) {
  fill(a, 1);
  fill(b, 2);
  for (auto _ : state) {
    mp::vec_add(a, b, kLength);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_vec_add);

void BM_vec_sub(benchmark::State& state) {
  fill(a, 1);
  fill(b, 2);
  for (auto _ : state) {
    mp::vec_sub(a, b, kLength);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_vec_sub);

void BM_vec_copy(benchmark::State& state) {
  fill(a, 1);
  for (auto _ : state) {
    mp::vec_copy(a, b, kLength);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_vec_copy);

void BM_vec_clear_tail(benchmark::State& state) {
  for (auto _ : state) {
    mp::vec_clear_tail(a, kLength, 2);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_vec_clear_tail);

// Both series at a length: 16001 elements, or 4001 for the quick speed guard.
void BM_arctg_both(benchmark::State& state) {
  SilentConsole console;
  const auto n = static_cast<std::int32_t>(state.range(0));
  for (auto _ : state) {
    mp::arctg(a, b, c, n, 5, console);
    mp::arctg(a, b, c, n, 239, console);
    benchmark::DoNotOptimize(a.data());
  }
}
BENCHMARK(BM_arctg_both)->Unit(benchmark::kMillisecond)->Iterations(1)->Arg(kLength)->Arg(4001);

void BM_baseline_arctg_both(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  for (auto _ : state) {
    plain::arctg(a.data(), b.data(), c.data(), n, 5);
    plain::arctg(a.data(), b.data(), c.data(), n, 239);
    benchmark::DoNotOptimize(a.data());
  }
}
BENCHMARK(BM_baseline_arctg_both)->Unit(benchmark::kMillisecond)->Iterations(1)->Arg(kLength)->Arg(4001);

}  // namespace

#pragma once
// Values shared by the driver and the arithmetic, alive for the whole run.
// Each thread has its own, so that copies of a run side by side share
// nothing writable; a thread that computes starts from the driver's.
#include <cstdint>

namespace mp {

struct Common {
  std::int32_t radix = 10000;      // set first by the driver; read by the vector operations at each call
  std::int32_t radix_root = 100;   // truncated square root of the radix; read by arctg
  float precision_log = 0.0f;      // ln(10^(digits of the vector)), set before each solve
  float inverse_log_x = 0.0f;      // 1 / ln x, set before each solve
  std::int32_t solver_status = 0;  // 0: converged, 2001: gave up
};

// Constant-initialised, so that no thread runs an initialiser on first use;
// the arithmetic lives in programs, never in a shared library, so every
// thread reaches its own at a fixed offset.
extern thread_local constinit Common common [[gnu::tls_model("local-exec")]];

// Decimal digits held by one element: log10(radix) + 0.5, truncated, with the
// single-precision logarithm of the Fortran run-time library (log10e * ln x).
std::int32_t digits_per_element(std::int32_t radix);

}  // namespace mp

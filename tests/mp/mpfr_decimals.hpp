#pragma once
// The oracle of every digit pibench prints: decimals of pi, arctan(1/5) and
// arctan(1/239) from MPFR.
#include <mpfr.h>

#include <string>

enum class Constant { kPi, kArctan5, kArctan239 };

// The first `digits` decimals after the point, truncated.
inline std::string mpfr_decimals(Constant c, int digits) {
  mpfr_t v;
  mpfr_init2(v, static_cast<mpfr_prec_t>(digits * 3.33) + 128);
  if (c == Constant::kPi) {
    mpfr_const_pi(v, MPFR_RNDZ);
    mpfr_sub_ui(v, v, 3, MPFR_RNDZ);
  } else {
    mpfr_set_ui(v, c == Constant::kArctan5 ? 5 : 239, MPFR_RNDN);
    mpfr_ui_div(v, 1, v, MPFR_RNDN);
    mpfr_atan(v, v, MPFR_RNDZ);
  }
  mpfr_exp_t exponent = 0;  // v < 1: the decimals start with -exponent zeros
  char* text = mpfr_get_str(nullptr, &exponent, 10, static_cast<std::size_t>(digits) + 10, v, MPFR_RNDZ);
  const std::string decimals = std::string(static_cast<std::size_t>(-exponent), '0') + text;
  mpfr_free_str(text);
  mpfr_clear(v);
  return decimals.substr(0, static_cast<std::size_t>(digits));
}

#pragma once
// arctg's result as an integer, from GMP: the oracle of the series.
#include <gmp.h>

#include <cstdint>

// sum over m = 0 .. 2J of (-1)^m floor(10^(4n) / ((2m+1) x^(2m+1))), with
// floor(10^(4n) / x^(2m+1)) kept from term to term (floor(floor(a/b)/c) is
// floor(a/(bc))) so that the longest vectors stay quick.
inline void closed_form(mpz_t out, std::int32_t x, std::int32_t n, std::int32_t j) {
  mpz_t power, term;
  mpz_inits(power, term, nullptr);
  mpz_ui_pow_ui(power, 10, static_cast<unsigned long>(4 * n));
  mpz_fdiv_q_ui(power, power, static_cast<unsigned long>(x));
  mpz_set_ui(out, 0);
  for (std::int32_t m = 0; m <= 2 * j && mpz_sgn(power) != 0; ++m) {
    mpz_fdiv_q_ui(term, power, static_cast<unsigned long>(2 * m + 1));
    if (m % 2 == 0) {
      mpz_add(out, out, term);
    } else {
      mpz_sub(out, out, term);
    }
    mpz_fdiv_q_ui(power, power, static_cast<unsigned long>(x) * static_cast<unsigned long>(x));
  }
  mpz_clears(power, term, nullptr);
}

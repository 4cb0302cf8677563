#include "mp/estimate.hpp"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <cstdint>
#include <string>

#include "mp/common.hpp"

namespace {

// An independent model of the estimate in MPFR: 64-bit significands for the
// extended intermediates, 24 bits at each single-precision store, 53 bits for
// the logarithms taken in double.
class Model {
 public:
  Model() {
    for (mpfr_t* v : {&p_, &q_, &y_, &prev_, &t_, &u_, &lnv_}) mpfr_init2(*v, 64);
  }
  ~Model() {
    for (mpfr_t* v : {&p_, &q_, &y_, &prev_, &t_, &u_, &lnv_}) mpfr_clear(*v);
  }
  Model(const Model&) = delete;
  Model& operator=(const Model&) = delete;

  struct Result {
    std::int32_t k;
    int evaluations;
    bool converged;
  };

  Result estimate(std::int32_t x, std::int32_t n) {
    ln_as_float(lnv_, x);                 // Lx
    mpfr_ui_div(q_, 1, lnv_, MPFR_RNDN);  // 1 / Lx, extended
    to_float(q_);                         // inverse_log_x
    mpfr_set_flt(t_, 2.3025849f, MPFR_RNDN);
    mpfr_mul_si(p_, t_, 4 * n, MPFR_RNDN);  // exact
    to_float(p_);                           // precision_log
    // Solver.
    mpfr_set(prev_, p_, MPFR_RNDN);
    map(y_, prev_);
    int evaluations = 1;
    mpfr_sub(t_, y_, prev_, MPFR_RNDN);
    mpfr_abs(t_, t_, MPFR_RNDN);
    float last = mpfr_get_flt(t_, MPFR_RNDN);
    int count = 0;
    for (;;) {
      mpfr_set(prev_, y_, MPFR_RNDN);
      map(y_, prev_);
      ++evaluations;
      mpfr_sub(t_, y_, prev_, MPFR_RNDN);
      mpfr_abs(t_, t_, MPFR_RNDN);  // exact: both are floats of close size
      mpfr_abs(u_, y_, MPFR_RNDN);
      mpfr_mul_d(u_, u_, 0.5, MPFR_RNDN);
      if (mpfr_cmp(u_, t_) >= 0) break;
      if (mpfr_cmp_d(t_, last) >= 0) ++count;
      if (count > 5) return {0, evaluations, false};
      last = mpfr_get_flt(t_, MPFR_RNDN);
    }
    return {static_cast<std::int32_t>(mpfr_get_si(y_, MPFR_RNDZ)) + 1, evaluations, true};
  }

 private:
  static void to_float(mpfr_t v) { mpfr_set_flt(v, mpfr_get_flt(v, MPFR_RNDN), MPFR_RNDN); }

  // ln of a value, correctly rounded to double, then to float.
  void ln_as_float(mpfr_t out, double v) {
    mpfr_set_prec(out, 53);
    mpfr_set_d(out, v, MPFR_RNDN);
    mpfr_log(out, out, MPFR_RNDN);
    const double d = mpfr_get_d(out, MPFR_RNDN);
    mpfr_set_prec(out, 64);
    mpfr_set_flt(out, static_cast<float>(d), MPFR_RNDN);
  }

  // out = float((1 + (P - L) * Q) * 0.5), extended steps.
  void map(mpfr_t out, mpfr_t y) {
    ln_as_float(lnv_, mpfr_get_d(y, MPFR_RNDN));
    mpfr_sub(t_, p_, lnv_, MPFR_RNDN);
    mpfr_mul(t_, t_, q_, MPFR_RNDN);
    mpfr_add_ui(t_, t_, 1, MPFR_RNDN);
    mpfr_mul_d(out, t_, 0.5, MPFR_RNDN);
    to_float(out);
  }

  mpfr_t p_, q_, y_, prev_, t_, u_, lnv_;
};

class EstimateTest : public ::testing::Test {
 protected:
  void SetUp() override { mp::common = mp::Common{}; }
};

TEST_F(EstimateTest, EveryLengthMatchesTheModelAndConverges) {
  Model model;
  int mismatches = 0;
  for (std::int32_t x : {5, 239}) {
    for (std::int32_t n = 2; n <= 16001; ++n) {
      const auto expected = model.estimate(x, n);
      ASSERT_TRUE(expected.converged);
      EXPECT_EQ(expected.evaluations, 2);
      const std::int32_t k = mp::expansion_length(x, n);
      ASSERT_EQ(mp::common.solver_status, 0) << "x = " << x << ", n = " << n;
      if (k != expected.k) {
        ADD_FAILURE() << "x = " << x << ", n = " << n << ": " << k << " vs model " << expected.k;
        if (++mismatches > 10) return;
      }
    }
  }
}

TEST_F(EstimateTest, KnownLengths) {
  struct Row {
    std::int32_t n, k5, k239;
  };
  const Row rows[] = {{2, 6, 3},       {3, 9, 3},           {5, 14, 5},           {11, 31, 10},
                      {26, 74, 23},    {251, 717, 212},     {902, 2580, 0},       {2501, 7154, 2103},
                      {2609, 7463, 0}, {4001, 11446, 3365}, {16001, 45782, 13455}};
  for (const Row& r : rows) {
    EXPECT_EQ(mp::expansion_length(5, r.n), r.k5) << "n = " << r.n;
    if (r.k239 != 0) {
      EXPECT_EQ(mp::expansion_length(239, r.n), r.k239) << "n = " << r.n;
    }
  }
}

TEST_F(EstimateTest, SharedValuesForTheSmallestRun) {
  mp::expansion_length(5, 2);
  EXPECT_FLOAT_EQ(mp::common.precision_log, 18.420679f);
  EXPECT_FLOAT_EQ(mp::common.inverse_log_x, 0.6213349f);
}

// Maps for the solver's own rules, counting their evaluations.
int evaluations = 0;
float growing_y = 0;

float growing(const float&) {
  ++evaluations;
  growing_y = growing_y * 2 + 1;
  return (evaluations % 2 == 0) ? growing_y : -growing_y;
}
float identity(const float& y) {
  ++evaluations;
  return y;
}
float not_a_number(const float&) {
  ++evaluations;
  return std::stof("nan");
}

TEST_F(EstimateTest, SolverGivesUpAfterSevenEvaluations) {
  evaluations = 0;
  growing_y = 1;
  const float start = 1, tolerance = 0.5f;
  mp::solve_fixed_point(growing, start, tolerance);
  EXPECT_EQ(evaluations, 7);
  EXPECT_EQ(mp::common.solver_status, 2001);
}

TEST_F(EstimateTest, FixedPointStartStillCostsTwoEvaluations) {
  evaluations = 0;
  const float start = 42, tolerance = 0.5f;
  EXPECT_EQ(mp::solve_fixed_point(identity, start, tolerance), 42.0f);
  EXPECT_EQ(evaluations, 2);
  EXPECT_EQ(mp::common.solver_status, 0);
}

TEST_F(EstimateTest, NotANumberGivesUpInsteadOfLoopingForever) {
  evaluations = 0;
  const float start = 1, tolerance = 0.5f;
  mp::solve_fixed_point(not_a_number, start, tolerance);
  EXPECT_EQ(evaluations, 2);
  EXPECT_EQ(mp::common.solver_status, 2001);
}

}  // namespace

// A verdict in words, and intervals shown with the decimals that keep them
// on their side of 1.
#include "report/verdicts.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "report/formats.hpp"

namespace {

TEST(Verdicts, DecimalsKeepAValueOnItsSide) {
  struct Case {
    double value, side;
    int at_least, decimals;
  };
  const Case cases[] = {
      {0.99992, 1, 3, 4}, {0.982, 1, 3, 3},      {1.00004, 1, 3, 5},  {1.0004, 1, 3, 4},
      {0.9995, 1, 3, 4},  {1, 1, 3, 3},          {0.04, 0, 1, 2},     {-0.04, 0, 1, 2},
      {-0.06, 0, 1, 1},   {1 - 1e-15, 1, 3, 15}, {0.999996, 1, 4, 6}, {1e-300, 0, 1, 17},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(report::decimals_apart(c.value, c.side, c.at_least), c.decimals) << c.value;
  }
}

// A row slower than the reference whose interval ends just below 1: no
// format shows that end as 1.
TEST(Verdicts, AnIntervalThatLeavesOut1NeverShows1) {
  report::Report r{"ref", 0, {}, 0, {}};
  const auto row = [&](const char* name, report::Verdict verdict, double ratio, report::Interval interval) {
    report::MachineSummary& m = r.machines.emplace_back(report::MachineSummary{.machine = name,
                                                                               .digits = 64000,
                                                                               .copies = 1,
                                                                               .runs = 6,
                                                                               .disturbed = 0,
                                                                               .left_out = 0,
                                                                               .first_seen = 0,
                                                                               .verdict = verdict,
                                                                               .precise = true,
                                                                               .median = 100,
                                                                               .best = 101,
                                                                               .worst = 99,
                                                                               .spread = 0.02,
                                                                               .centre = 100});
    m.relative = ratio;
    if (verdict != report::Verdict::kReference) {
      m.ratio = std::make_unique<const report::BatchRatio>(report::BatchRatio{ratio, interval, 4});
    }
  };
  row("ref", report::Verdict::kReference, 1, {1, 1});
  row("slow", report::Verdict::kSlower, 0.99996, {0.982, 0.999996});
  const std::string text = report::render(r, report::Format::kText);
  EXPECT_NE(text.find("  0.982000-0.999996  slower -0.004 %\n"), std::string::npos) << text;
  EXPECT_NE(report::render(r, report::Format::kWideText).find("1.000 (0.982000-0.999996)  slower by 0.004 %"),
            std::string::npos);
  EXPECT_NE(report::render(r, report::Format::kCsv).find(",0.982000,0.999996,slower,"), std::string::npos);
  EXPECT_NE(report::render(r, report::Format::kHtml).find(">1.000 (0.982000-0.999996) slower<"), std::string::npos);
  const auto json = nlohmann::json::parse(report::render(r, report::Format::kJson));
  EXPECT_LT(json["machines"][1]["relative_ci"][1].get<double>(), 1.0);
}

}  // namespace

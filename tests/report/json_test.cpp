// The JSON report writes each value as the library's own dump() writes it.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>

#include "report/formats.hpp"

namespace {

// A double of any magnitude and digits, from random bits; finite.
double any_double(std::mt19937_64& bits) {
  for (;;) {
    const std::uint64_t b = bits();
    double value = 0;
    std::memcpy(&value, &b, sizeof value);
    if (std::isfinite(value)) return value;
  }
}

TEST(Json, EveryValueAsTheLibraryDumpsIt) {
  std::mt19937_64 bits(36);
  report::Report r{"", 0, {}, 0, {}};
  std::string every_ascii;
  for (int c = 1; c < 128; ++c) every_ascii += static_cast<char>(c);
  const std::string names[] = {every_ascii, "漢字 \"q\" \\", "bad \xFF\xFE utf-8 \xC3", "plain"};
  for (int i = 0; i < 3000; ++i) {
    // Short decimals as record files give them, and doubles of every kind.
    const double figure = i % 2 == 0 ? std::round(any_double(bits)) / 10 : any_double(bits);
    report::MachineSummary& m =
        r.machines.emplace_back(report::MachineSummary{.machine = names[i % std::size(names)] + std::to_string(i),
                                                       .digits = i % 3 == 0 ? 0 : 64000,
                                                       .copies = 1 + i % 2,
                                                       .runs = 6,
                                                       .disturbed = 0,
                                                       .left_out = 0,
                                                       .first_seen = i,
                                                       .verdict = report::Verdict::kSlower,
                                                       .precise = true,
                                                       .median = figure,
                                                       .best = any_double(bits),
                                                       .worst = std::ldexp(any_double(bits), -900),
                                                       .spread = 1.0 / (i + 1),
                                                       .centre = figure});
    m.relative = any_double(bits);
    if (i % 4 != 0) m.scaling = static_cast<double>(i);
    m.median_ci = report::Interval{any_double(bits), any_double(bits)};
    m.ratio = std::make_unique<const report::BatchRatio>(report::BatchRatio{0.5, {0.25, 0.75}, 4});
  }
  const std::string text = report::render(r, report::Format::kJson);
  const auto parsed = nlohmann::ordered_json::parse(text);
  ASSERT_EQ(parsed["machines"].size(), r.machines.size());
  // Each member's line holds its value as dump() writes the value read back.
  std::istringstream lines(text);
  std::size_t row = 0, members = 0;
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with("      \"")) continue;
    const std::size_t colon = line.find("\": ");
    const std::string key = line.substr(7, colon - 7);
    if (key == "machine") ++row;
    const auto& value = parsed["machines"][row - 1][key];
    std::string shown = line.substr(colon + 3);
    if (shown.ends_with(',')) shown.pop_back();
    ASSERT_EQ(shown, value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)) << line;
    ++members;
  }
  EXPECT_EQ(members, 3000u * 20);  // with "history" and "changes"
}

}  // namespace

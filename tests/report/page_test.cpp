// The page: each verdict in a few words with the whole of it kept, its
// class from its kind, names escaped in every chart, and every mark of a
// chart inside its plot.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "report/formats.hpp"
#include "report/statistics.hpp"
#include "report/svg_parts.hpp"

namespace {

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

report::Runs batches(const std::vector<std::pair<std::string, std::vector<std::vector<double>>>>& machines) {
  report::Runs runs;
  for (const auto& [machine, figures] : machines) {
    for (std::size_t b = 0; b < figures.size(); ++b) {
      for (const double f : figures[b]) runs.add(report::Run{machine, 64000, f, true, {}, {}, 1, std::to_string(b)});
    }
  }
  return runs;
}

TEST(Page, EachVerdictInAFewWordsAndWhole) {
  const std::optional<report::Report> r =
      report::summarise(batches({{"reference", {{100, 101, 102}, {103, 104, 105}, {101, 102}}},
                                 {"faster", {{110, 111, 112}, {113, 114}, {112}}},
                                 {"same", {{100.5, 101.5, 102.5}, {103.5, 104.5}}},
                                 {"single", {{50, 60, 70, 80, 90, 100}}}}),
                        "reference");
  ASSERT_TRUE(r);
  const std::string page = report::render(*r, report::Format::kHtml);
  for (const char* cell :
       {"<td class=\"reference\" title=\"reference\">reference</td>",
        "<td class=\"faster\" title=\"faster by 9.8 %\">faster +9.8 %</td>",
        "<td class=\"no-difference\" title=\"no difference found: ",
        "<td class=\"one-batch\" title=\"one batch: measure again later for a verdict\">one batch</td>",
        "<li>same: no difference found: ", "<li>single: one batch: measure again later"}) {
    EXPECT_EQ(count(page, cell), 1u) << cell << " in\n" << page;
  }
  EXPECT_EQ(count(page, "<li>"), 2u) << "only the verdicts that say more in full";
  EXPECT_NE(page.find("td.faster,span.faster{color:#1a7f37}"), std::string::npos);
  // Every kind its own class, a CSS name as it stands.
  std::set<std::string> kinds;
  for (const report::Verdict v :
       {report::Verdict::kReference, report::Verdict::kFaster, report::Verdict::kSlower, report::Verdict::kNoDifference,
        report::Verdict::kOneBatch, report::Verdict::kNoReference, report::Verdict::kNoReferenceAtDigits,
        report::Verdict::kAllDisturbed, report::Verdict::kNoVariation, report::Verdict::kTooCoarse}) {
    const std::string kind = report::verdict_key(v);
    EXPECT_TRUE(std::regex_match(kind, std::regex("[a-z][a-z-]*"))) << kind;
    kinds.insert(kind);
  }
  EXPECT_EQ(kinds.size(), 10u);
}

// Ratios far off and a figure far from the rest: every mark still inside
// its plot, every name escaped in each chart, every picture closed.
TEST(Page, ChartsHoldTheirMarksAndEscapeNames) {
  const std::optional<report::Report> r = report::summarise(batches({{"a<b>&\"c'", {{100, 101}, {102, 103}}},
                                                                     {"far slower", {{1e-3, 1.1e-3}, {1.2e-3, 1e-3}}},
                                                                     {"one far batch", {{1e6}}},
                                                                     {"steady", {{100, 100}, {100, 100}}}}),
                                                            "a<b>&\"c'");
  ASSERT_TRUE(r);
  const std::string page = report::render(*r, report::Format::kHtml);
  EXPECT_EQ(page.find("a<b"), std::string::npos);
  EXPECT_EQ(count(page, "<span class=\"name\">a&lt;b&gt;&amp;&quot;c&apos;</span>"), 3u) << page;
  EXPECT_EQ(count(page, "<svg"), count(page, "</svg>"));
  EXPECT_EQ(page.find("<?xml"), std::string::npos);
  const std::regex share("=\"(-?[0-9.]+)%\"");
  std::size_t shares = 0;
  for (auto it = std::sregex_iterator(page.begin(), page.end(), share); it != std::sregex_iterator(); ++it, ++shares) {
    const double at = std::stod((*it)[1]);
    EXPECT_TRUE(at >= 0 && at <= 100) << it->str();
  }
  EXPECT_GT(shares, 40u);
}

}  // namespace

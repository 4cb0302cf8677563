#pragma once
// A verdict in words, for every format: its key, its words in full (CSV,
// JSON, the charts), in a few words (the text table) with the sentence
// that explains them, and the figures that go with it.
#include <string>

#include "report/statistics.hpp"

namespace report {

// A stable name for the verdict's kind: "faster", "no-difference".
const char* verdict_key(Verdict verdict);
// In full words: "no difference found".
const char* verdict_word(Verdict verdict);

// The row's verdict with its difference or its plan, as the wide table
// says it: "slower by 10.1 %".
std::string verdict_text(const MachineSummary& m);
// In a few words, as the text table says it: "slower -10.1 %".
std::string short_verdict(const MachineSummary& m);
// The sentence below the text table that explains the verdict's few words;
// nullptr where they say it all.
const char* short_verdict_note(Verdict verdict);
// The ratio, its interval and the verdict, as the comparison chart says it.
std::string ratio_note(const MachineSummary& m);

// "N batches of R runs a side resolve 1 %".
std::string plan_text(const Plan& plan);

// The decimals, `at_least` or as many more as it takes, that show `value`
// on the side of `side` it is on: 0.99992 to 3 decimals is 1.000, to 4 it
// is 0.9999.
int decimals_apart(double value, double side, int at_least);
// Those that show each end of the interval on its side of 1, the same for
// both: an interval that leaves out 1 never shows an end of 1.
int interval_decimals(const Interval& interval, int at_least);

}  // namespace report

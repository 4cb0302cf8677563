#include "report/verdicts.hpp"

#include <charconv>
#include <cmath>
#include <iterator>

#include "report/columns.hpp"

namespace report {

namespace {

struct Words {
  Verdict verdict;
  const char* key;
  const char* word;  // in full
  const char* few;   // in the text table, where the figures say no more
  const char* note;  // below the text table
};

// In the order of Verdict.
constexpr Words kWords[] = {
    {Verdict::kReference, "reference", "reference", "reference", nullptr},
    {Verdict::kFaster, "faster", "faster", "faster", nullptr},
    {Verdict::kSlower, "slower", "slower", "slower", nullptr},
    {Verdict::kNoDifference, "no-difference", "no difference found", "no difference", nullptr},
    {Verdict::kOneBatch, "one-batch", "one batch: measure again later for a verdict", "one batch",
     "One batch: measure again later for a verdict."},
    {Verdict::kNoReference, "no-reference", "no reference at these copies", "no reference",
     "No reference: the reference has no row at these copies."},
    {Verdict::kNoReferenceAtDigits, "other-digits", "no reference at these digits", "other digits",
     "Other digits: the reference has no row at these digits."},
    {Verdict::kAllDisturbed, "all-disturbed", "all runs disturbed (--all-runs keeps them)", "all disturbed",
     "All disturbed: every run of the row was left out."},
    {Verdict::kNoVariation, "no-variation", "no variation between batches: their drift cannot be measured",
     "no variation", "No variation: a side's batch medians are all equal, so how its pace drifts cannot be measured."},
    {Verdict::kTooCoarse, "too-coarse",
     "no difference found: whole seconds cannot resolve 1 % (--log times runs precisely)", "no difference",
     "No difference: whole seconds cannot resolve 1 % (--log times runs precisely)."},
};

constexpr bool in_order() {
  for (std::size_t i = 0; i < std::size(kWords); ++i) {
    if (static_cast<std::size_t>(kWords[i].verdict) != i) return false;
  }
  return true;
}
static_assert(in_order(), "kWords lists every verdict in the order of Verdict");

const Words& words(Verdict verdict) { return kWords[static_cast<std::size_t>(verdict)]; }

// The difference from the reference in per cent, and the decimals that
// show it off 0.
double percent(const MachineSummary& m) { return (m.ratio->ratio - 1) * 100; }
int percent_decimals(const MachineSummary& m) { return decimals_apart(percent(m), 0, 1); }

}  // namespace

const char* verdict_key(Verdict verdict) { return words(verdict).key; }
const char* verdict_word(Verdict verdict) { return words(verdict).word; }
const char* short_verdict_note(Verdict verdict) { return words(verdict).note; }

std::string plan_text(const Plan& plan) {
  return std::to_string(plan.batches) + " batches of " + std::to_string(plan.runs) +
         (plan.runs == 1 ? " run" : " runs") + " a side resolve 1 %";
}

std::string verdict_text(const MachineSummary& m) {
  switch (m.verdict) {
    case Verdict::kFaster:
    case Verdict::kSlower:
      return std::string(verdict_word(m.verdict)) + " by " +
             short_fixed(std::fabs(percent(m)), percent_decimals(m), " %");
    case Verdict::kNoDifference:
      return std::string(verdict_word(m.verdict)) + ": " + plan_text(*m.plan);
    default:
      return verdict_word(m.verdict);
  }
}

std::string short_verdict(const MachineSummary& m) {
  const char* few = words(m.verdict).few;
  if (m.verdict != Verdict::kFaster && m.verdict != Verdict::kSlower) return few;
  return std::string(few) + (percent(m) >= 0 ? " +" : " -") +
         formatted(std::fabs(percent(m)), std::chars_format::fixed, percent_decimals(m)) + " %";
}

std::string ratio_note(const MachineSummary& m) {
  if (m.verdict == Verdict::kReference) return verdict_word(m.verdict);
  if (m.ratio) {
    const int decimals = interval_decimals(m.ratio->interval, 3);
    return formatted(m.ratio->ratio, std::chars_format::fixed, 3) + " (" +
           formatted(m.ratio->interval.low, std::chars_format::fixed, decimals) + "-" +
           formatted(m.ratio->interval.high, std::chars_format::fixed, decimals) + ") " + verdict_word(m.verdict);
  }
  if (m.relative) return formatted(*m.relative, std::chars_format::fixed, 3) + ", one batch: no interval";
  return verdict_word(m.verdict);
}

int decimals_apart(double value, double side, int at_least) {
  if (!std::isfinite(value) || value == side) return at_least;
  int decimals = at_least;
  for (; decimals < 17; ++decimals) {
    const std::string text = formatted(value, std::chars_format::fixed, decimals);
    double shown = 0;
    std::from_chars(text.data(), text.data() + text.size(), shown);
    if (shown != side && (shown > side) == (value > side)) break;
  }
  return decimals;
}

int interval_decimals(const Interval& interval, int at_least) {
  return std::max(decimals_apart(interval.low, 1, at_least), decimals_apart(interval.high, 1, at_least));
}

}  // namespace report

// The comparison as a picture (a forest plot): each row's ratio to the
// reference on a log scale around 1, its 95 % interval as a bar coloured
// by the verdict, a band for +-1 %, the reference as the line at 1.
#include <algorithm>
#include <cmath>
#include <vector>

#include "report/charts.hpp"
#include "report/svg_parts.hpp"

namespace report {

void write_comparison_chart(const Report& r, const Sink& out) {
  constexpr double kRow = 22;
  // Half the scale's span, in natural logarithms: the farthest end shown, and
  // at least 2 %.
  double half = std::log(1.02);
  for (const MachineSummary& m : r.machines) {
    std::vector<double> ends;
    if (m.relative) ends.push_back(*m.relative);
    if (m.ratio) ends.insert(ends.end(), {m.ratio->interval.low, m.ratio->interval.high});
    for (const double e : ends) {
      if (e > 0 && std::isfinite(std::log(e))) half = std::max(half, std::fabs(std::log(e)) * 1.1);
    }
  }
  const auto x = [&](double ratio) { return std::clamp(0.5 + std::log(ratio) / half / 2, 0.0, 1.0); };
  out(chart_start("comparison", "The machines compared",
                  "Each machine against the reference, on a log scale. Bar: the ratio's 95 % interval; grey band: "
                  "within 1 %; a hollow dot: one batch, no interval."));
  const std::string band = "<rect class=\"band\" x=\"" + percent(x(0.99)) + "\" y=\"0\" width=\"" +
                           percent(x(1.01) - x(0.99)) + "\" height=\"100%\" fill=\"" + colour::kBand +
                           "\"/><line x1=\"50%\" y1=\"0\" x2=\"50%\" y2=\"100%\" stroke=\"black\"/>";
  for (const MachineSummary& m : r.machines) {
    std::string marks = band;
    if (m.ratio) {
      marks += "<line class=\"interval\" x1=\"" + percent(x(m.ratio->interval.low)) + "\" y1=\"11\" x2=\"" +
               percent(x(m.ratio->interval.high)) + "\" y2=\"11\" stroke=\"" + verdict_colour(m.verdict) +
               "\" stroke-width=\"6\"><title>" + xml_text(ratio_note(m)) + "</title></line>";
    }
    if (m.relative) {
      // Hollow where one batch gives no interval.
      const bool solid = m.ratio || m.verdict == Verdict::kReference;
      marks += "<circle cx=\"" + percent(x(*m.relative)) + "\" cy=\"11\" r=\"4\" fill=\"" +
               (solid ? "black" : "white") + "\" stroke=\"black\"/>";
    }
    out(chart_row(m, plot(kRow, marks), xml_text(short_verdict(m)), verdict_key(m.verdict)));
  }
  // Ticks at the ratios the scale holds, the rounder first, none crowding
  // another on a plot as narrow as a phone's.
  std::vector<std::pair<double, std::string>> ticks;
  for (const double tick : {1.0, 0.5, 2.0, 0.1, 10.0, 0.8, 1.25, 0.9, 1.1, 0.2, 5.0, 0.95, 1.05, 0.98, 1.02}) {
    if (std::fabs(std::log(tick)) > half) continue;
    const auto crowds = [&](const auto& drawn) { return std::fabs(drawn.first - x(tick)) < 0.14; };
    if (std::any_of(ticks.begin(), ticks.end(), crowds)) continue;
    ticks.emplace_back(x(tick), formatted(tick, std::chars_format::general, 3));
  }
  std::sort(ticks.begin(), ticks.end());
  out(chart_axis(ticks) + chart_end());
}

}  // namespace report

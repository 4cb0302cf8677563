// The medians for the page: a bar a row at its median, a line from its
// worst to its best run, the median's interval in orange, an axis below.
#include <algorithm>

#include "report/charts.hpp"
#include "report/svg_parts.hpp"

namespace report {

void write_medians_chart(const Report& r, const Sink& out) {
  double best = 0;
  for (const MachineSummary& m : r.machines) best = std::max(best, m.best);
  const double end = axis_end(best);
  const auto x = [&](double figure) { return figure / end; };
  out(chart_start("medians", "The medians",
                  "Each machine's median figure, higher is faster. Line: worst to best run; orange: the median's 95 % "
                  "interval."));
  for (const MachineSummary& m : r.machines) {
    if (m.runs == 0) {
      out(chart_row(m, plot(22, ""), xml_text(short_verdict(m)), verdict_key(m.verdict)));
      continue;
    }
    const std::string label = row_name(m) + (m.digits > 0 ? " (" + std::to_string(m.digits) + " digits)" : "");
    std::string marks = "<rect class=\"bar\" x=\"0\" y=\"3\" width=\"" + percent(x(m.median)) +
                        "\" height=\"16\" fill=\"" + colour::kBar + "\"><title>" + xml_text(label) +
                        "</title></rect><line x1=\"" + percent(x(m.worst)) + "\" y1=\"11\" x2=\"" + percent(x(m.best)) +
                        "\" y2=\"11\" stroke=\"black\" stroke-width=\"2\"/>";
    if (m.median_ci) {
      // Never too thin to see.
      const double width = std::max(x(m.median_ci->high) - x(m.median_ci->low), 0.003);
      marks += "<rect class=\"median-ci\" x=\"" + percent(x(m.median_ci->low)) + "\" y=\"6\" width=\"" +
               percent(width) + "\" height=\"10\" fill=\"" + colour::kInterval + "\" fill-opacity=\"0.7\"/>";
    }
    out(chart_row(m, plot(22, marks), xml_text(median_figures(m))));
  }
  std::vector<std::pair<double, std::string>> ticks;
  for (int tick = 0; tick <= 4; ++tick) ticks.emplace_back(tick / 4.0, figure_text(end / 4 * tick));
  out(chart_axis(ticks) + chart_end());
}

}  // namespace report

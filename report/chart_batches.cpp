// Every run of every row for the page, a line a batch in the order
// measured, each batch's median marked, the disturbed runs left out drawn
// hollow on a line of their own.
#include <algorithm>

#include "report/charts.hpp"
#include "report/svg_parts.hpp"

namespace report {

void write_batches_chart(const Report& r, const Sink& out) {
  constexpr double kLine = 9;
  double low = 0, high = 0;
  for (const MachineSummary& m : r.machines) {
    std::vector<double> shown = m.left_out_figures;
    if (m.runs > 0) shown.insert(shown.end(), {m.worst, m.best});
    for (const double f : shown) {
      low = low > 0 ? std::min(low, f) : f;
      high = std::max(high, f);
    }
  }
  const double span = high > low ? high - low : std::max(high, 1.0);
  const double from = low - span * 0.05, to = high + span * 0.05;
  const auto x = [&](double figure) { return percent((figure - from) / (to - from)); };
  out(chart_start("batches", "The runs, batch by batch",
                  "Each run, a line a batch in the order measured, from " + figure_text(from) + " to " +
                      figure_text(to) +
                      ", higher is faster. |: the batch's median; hollow red: disturbed runs left "
                      "out."));
  for (const MachineSummary& m : r.machines) {
    if (m.batches.empty() && m.left_out_figures.empty()) continue;
    std::string marks;
    double y = 4;  // and as much below: a gap between rows
    for (std::size_t b = 0; b < m.batches.size(); ++b, y += kLine) {
      const double median = m.batch_median(b);
      marks += "<g fill=\"" + std::string(b % 2 == 0 ? colour::kBar : colour::kInterval) + "\"><title>" +
               xml_text("batch " + std::to_string(b + 1) + ": median " + figure_text(median) + ", " +
                        std::to_string(m.batches[b].size()) + (m.batches[b].size() == 1 ? " run" : " runs")) +
               "</title>";
      for (const double figure : m.batches[b]) {
        marks += "<circle cx=\"" + x(figure) + "\" cy=\"" + fixed(y + kLine / 2) + "\" r=\"3\"/>";
      }
      marks += "<line x1=\"" + x(median) + "\" y1=\"" + fixed(y) + "\" x2=\"" + x(median) + "\" y2=\"" +
               fixed(y + kLine) + "\" stroke=\"black\" stroke-width=\"2\"/></g>";
    }
    const std::size_t left_out = m.left_out_figures.size();
    if (left_out > 0) {
      marks += "<g class=\"left-out\" fill=\"none\" stroke=\"" + std::string(colour::kSlower) + "\"><title>" +
               std::to_string(left_out) + " disturbed " + (left_out == 1 ? "run" : "runs") + " left out</title>";
      for (const double figure : m.left_out_figures) {
        marks += "<circle cx=\"" + x(figure) + "\" cy=\"" + fixed(y + kLine / 2) + "\" r=\"3\"/>";
      }
      marks += "</g>";
      y += kLine;
    }
    const std::size_t batches = m.batches.size();
    out(chart_row(m, plot(y + 4, marks),
                  std::to_string(batches) + (batches == 1 ? " batch" : " batches") +
                      (left_out > 0 ? ", " + std::to_string(left_out) + " left out" : "")));
  }
  out(chart_end());
}

}  // namespace report

// SVG: one machine through time, for the page: each batch's median at its
// start, each level drawn as a step, each change marked with its ratio.
// Narrow enough to read on a phone.
#include <algorithm>
#include <cmath>

#include "report/columns.hpp"
#include "report/formats.hpp"
#include "report/history.hpp"
#include "report/svg_parts.hpp"

namespace report {

void write_timeline_svg(const MachineSummary& m, const Sink& out_) {
  if (!m.history) return;
  const History& h = *m.history;
  constexpr double kWidth = 400, kHeight = 204, kLeft = 80, kRight = 388, kTop = 50, kBottom = 162;
  constexpr double kCharWidth = 8.5;  // of the 14-pixel monospace
  const std::size_t n = h.batches.size();
  // By start time when every batch tells it, else one step a batch.
  const bool timed = std::all_of(h.batches.begin(), h.batches.end(), [](const HistoryBatch& b) { return b.start; });
  const auto at = [&](std::size_t b) { return timed ? *h.batches[b].start : static_cast<double>(b); };
  const double first = at(0), last = at(n - 1);
  double low = h.batches[0].median, high = low;
  for (const HistoryBatch& b : h.batches) {
    low = std::min(low, b.median);
    high = std::max(high, b.median);
  }
  if (!(high > low)) {
    low *= 0.99;
    high *= 1.01;
  }
  const auto x = [&](std::size_t b) {
    return last > first ? kLeft + (at(b) - first) / (last - first) * (kRight - kLeft) : (kLeft + kRight) / 2;
  };
  const auto y = [&](double figure) { return kBottom - (figure - low) / (high - low) * (kBottom - kTop); };
  std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"timeline\" width=\"" + fixed0(kWidth) +
                    "\" height=\"" + fixed0(kHeight) + "\" viewBox=\"0 0 " + fixed0(kWidth) + " " + fixed0(kHeight) +
                    "\" font-family=\"monospace\" font-size=\"14\">\n<rect width=\"100%\" height=\"100%\" "
                    "fill=\"white\"/>\n<text x=\"8\" y=\"18\">batch medians and levels, higher is faster</text>\n";
  // The axis: the highest and lowest median, the first and last start.
  out += "<text x=\"8\" y=\"" + fixed(kTop + 4) + "\">" + xml_text(figure_text(high)) + "</text>\n<text x=\"8\" y=\"" +
         fixed(kBottom + 4) + "\">" + xml_text(figure_text(low)) + "</text>\n";
  out += "<line x1=\"" + fixed(kLeft) + "\" y1=\"" + fixed(kBottom + 8) + "\" x2=\"" + fixed(kRight) + "\" y2=\"" +
         fixed(kBottom + 8) + "\" stroke=\"#888\"/>\n";
  const std::string from = timed ? minute_text(first) : "batch 1";
  const std::string to = timed ? minute_text(last) : "batch " + std::to_string(n);
  out += "<text x=\"8\" y=\"" + fixed(kBottom + 26) + "\">" + xml_text(from) + "</text>\n";
  out += "<text x=\"" + fixed(kRight) + "\" y=\"" + fixed(kBottom + 26) + "\" text-anchor=\"end\">" +
         xml_text(timed && from.substr(0, 10) == to.substr(0, 10) ? to.substr(11) : to) + "</text>\n";
  for (std::size_t b = 0; b < n; ++b) {
    out += "<circle cx=\"" + fixed(x(b)) + "\" cy=\"" + fixed(y(h.batches[b].median)) +
           "\" r=\"2.5\" fill=\"#4a78b5\"/>\n";
  }
  // Each level, the geometric mean of its batches' medians, as a step.
  std::vector<std::size_t> bounds = {0};
  for (const RowChange& c : h.changes) bounds.push_back(c.after);
  bounds.push_back(n);
  std::string path;
  for (std::size_t s = 0; s + 1 < bounds.size(); ++s) {
    double sum = 0;
    for (std::size_t b = bounds[s]; b < bounds[s + 1]; ++b) sum += std::log(h.batches[b].median);
    const double level = y(std::exp(sum / static_cast<double>(bounds[s + 1] - bounds[s])));
    const double start = s == 0 ? x(0) : (x(bounds[s] - 1) + x(bounds[s])) / 2;
    const double end = s + 2 == bounds.size() ? x(n - 1) : (x(bounds[s + 1] - 1) + x(bounds[s + 1])) / 2;
    path += (s == 0 ? "M" : "L") + fixed(start) + " " + fixed(level) + "H" + fixed(end);
  }
  out += "<path class=\"level\" d=\"" + path + "\" fill=\"none\" stroke=\"#d9822b\" stroke-width=\"2\"/>\n";
  // Each change: a dashed line between its batches, its number and ratio
  // above, a row lower where it would overlap the label before it.
  double previous_end = 0, previous_y = kTop + 12;
  for (std::size_t c = 0; c < h.changes.size(); ++c) {
    const RowChange& change = h.changes[c];
    const double cx = (x(change.after - 1) + x(change.after)) / 2;
    out += "<line class=\"change\" x1=\"" + fixed(cx) + "\" y1=\"" + fixed(kTop - 6) + "\" x2=\"" + fixed(cx) +
           "\" y2=\"" + fixed(kBottom + 8) + "\" stroke=\"#b42318\" stroke-dasharray=\"4 3\"/>\n";
    const double percent = (change.ratio - 1) * 100;
    const std::string label = std::to_string(c + 1) + ": " + (percent < 0 ? "-" : "+") +
                              formatted(std::fabs(percent), std::chars_format::fixed, 1) + "%";
    const double width = static_cast<double>(label.size()) * kCharWidth;
    const double lx = std::clamp(cx - width / 2, kLeft, kWidth - 8 - width);
    const double ly = lx < previous_end + 6 && previous_y == kTop - 12 ? kTop + 12 : kTop - 12;
    out += "<text x=\"" + fixed(lx) + "\" y=\"" + fixed(ly) + "\" fill=\"#b42318\">" + xml_text(label) + "</text>\n";
    previous_end = lx + width;
    previous_y = ly;
  }
  out_(out + "</svg>\n");
}

}  // namespace report

// The comparison as a picture (a forest plot): each row's ratio to the
// reference on a log scale around 1, its 95 % interval as a bar coloured
// by the verdict, a band for +-1 %, the reference as the line at 1.
#include <algorithm>
#include <cmath>
#include <vector>

#include "report/columns.hpp"
#include "report/formats.hpp"
#include "report/svg_parts.hpp"
#include "runtime/text.hpp"

namespace report {

namespace {

const char* verdict_colour(Verdict verdict) {
  switch (verdict) {
    case Verdict::kFaster:
      return "#1a7f37";
    case Verdict::kSlower:
      return "#b42318";
    default:
      return "#777777";
  }
}

}  // namespace

void write_comparison_svg(const Report& r, const Sink& out_) {
  constexpr double kRow = 22, kTop = 58, kPlot = 360, kCharWidth = 7.2;
  std::size_t longest = 7, longest_note = 0;
  // Half the scale's span, in natural logarithms: the farthest end shown, and
  // at least 2 %.
  double half = std::log(1.02);
  for (const MachineSummary& m : r.machines) {
    longest = std::max(longest, runtime::display_width(row_name(m)));
    longest_note = std::max(longest_note, ratio_note(m).size());
    std::vector<double> ends;
    if (m.relative) ends.push_back(*m.relative);
    if (m.ratio) ends.insert(ends.end(), {m.ratio->interval.low, m.ratio->interval.high});
    for (const double e : ends) {
      if (e > 0 && std::isfinite(std::log(e))) half = std::max(half, std::fabs(std::log(e)) * 1.1);
    }
  }
  const double left = 16 + static_cast<double>(longest) * kCharWidth + 12;
  const double width = std::max(left + kPlot + 16 + static_cast<double>(longest_note) * kCharWidth + 16, 600.0);
  const double bottom = kTop + kRow * static_cast<double>(r.machines.size());
  const double height = bottom + 40;
  const double centre = left + kPlot / 2;
  const auto x = [&](double ratio) {
    const double at = centre + std::log(ratio) / half * (kPlot / 2);
    return std::clamp(at, left, left + kPlot);
  };
  std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"comparison\" width=\"" + fixed0(width) +
                    "\" height=\"" + fixed0(height) + "\" viewBox=\"0 0 " + fixed0(width) + " " + fixed0(height) +
                    "\" font-family=\"monospace\" font-size=\"12\">\n"
                    "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
                    "<text x=\"16\" y=\"22\" font-size=\"14\">Each machine against the reference, log scale</text>\n"
                    "<text x=\"16\" y=\"40\">bar: the ratio's 95 % interval; grey band: within 1 %</text>\n";
  out += "<rect class=\"band\" x=\"" + fixed(x(0.99)) + "\" y=\"" + fixed(kTop - 4) + "\" width=\"" +
         fixed(x(1.01) - x(0.99)) + "\" height=\"" + fixed(bottom - kTop + 8) + "\" fill=\"#e6e6e6\"/>\n";
  out += "<line x1=\"" + fixed(centre) + "\" y1=\"" + fixed(kTop - 4) + "\" x2=\"" + fixed(centre) + "\" y2=\"" +
         fixed(bottom + 4) + "\" stroke=\"black\"/>\n";
  double y = kTop;
  for (const MachineSummary& m : r.machines) {
    const double middle = y + kRow / 2;
    out += "<text x=\"" + fixed(left - 8) + "\" y=\"" + fixed(middle + 4) + "\" text-anchor=\"end\">" +
           xml_text(row_name(m)) + "</text>\n";
    const char* colour = verdict_colour(m.verdict);
    if (m.ratio) {
      out += "<line class=\"interval\" x1=\"" + fixed(x(m.ratio->interval.low)) + "\" y1=\"" + fixed(middle) +
             "\" x2=\"" + fixed(x(m.ratio->interval.high)) + "\" y2=\"" + fixed(middle) + "\" stroke=\"" + colour +
             "\" stroke-width=\"6\"/>\n";
    }
    if (m.relative) {
      // Hollow where one batch gives no interval.
      const bool solid = m.ratio || m.verdict == Verdict::kReference;
      out += "<circle cx=\"" + fixed(x(*m.relative)) + "\" cy=\"" + fixed(middle) + "\" r=\"4\" fill=\"" +
             (solid ? "black" : "white") + "\" stroke=\"black\"/>\n";
    }
    out += "<text x=\"" + fixed(left + kPlot + 16) + "\" y=\"" + fixed(middle + 4) + "\" fill=\"" + colour + "\">" +
           xml_text(ratio_note(m)) + "</text>\n";
    y += kRow;
    out_(out);
    out.clear();
  }
  // Ticks at the ratios the scale holds, the rounder first, none crowding another.
  std::vector<double> drawn;
  for (const double tick : {1.0, 0.5, 2.0, 0.1, 10.0, 0.8, 1.25, 0.9, 1.1, 0.2, 5.0, 0.95, 1.05, 0.98, 1.02}) {
    if (std::fabs(std::log(tick)) > half) continue;
    if (std::any_of(drawn.begin(), drawn.end(), [&](double at) { return std::fabs(at - x(tick)) < 40; })) continue;
    drawn.push_back(x(tick));
    out += "<line x1=\"" + fixed(x(tick)) + "\" y1=\"" + fixed(bottom + 4) + "\" x2=\"" + fixed(x(tick)) + "\" y2=\"" +
           fixed(bottom + 9) + "\" stroke=\"black\"/>\n<text x=\"" + fixed(x(tick)) + "\" y=\"" + fixed(bottom + 22) +
           "\" text-anchor=\"middle\">" + formatted(tick, std::chars_format::general, 3) + "</text>\n";
  }
  out_(out + "</svg>\n");
}

}  // namespace report

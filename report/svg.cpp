// SVG: one bar a machine at its median, a line from its worst to its best
// run, the names on the left, the figures on the right, an axis below.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "report/columns.hpp"
#include "report/formats.hpp"
#include "report/svg_parts.hpp"
#include "runtime/text.hpp"

namespace report {

std::string xml_text(const std::string& text) {
  if (text.find_first_of("&<>\"'") == std::string::npos) return text;
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

void write_svg(const Report& r, const Sink& out_) {
  constexpr double kRow = 26, kTop = 58, kBarsWidth = 420, kCharWidth = 7.2;
  std::size_t longest = 7, longest_figures = 0;
  double best = 0;
  for (const MachineSummary& m : r.machines) {
    longest = std::max(longest, runtime::display_width(row_name(m)));
    if (m.runs > 0) longest_figures = std::max(longest_figures, median_figures(m).size());
    best = std::max(best, m.best);
  }
  const double scale_end = axis_end(best);
  const double left = 16 + static_cast<double>(longest) * kCharWidth + 12;
  const double width =
      std::max(left + kBarsWidth + 8 + static_cast<double>(longest_figures) * kCharWidth + 16, 520.0);  // and the title
  const double axis_y = kTop + kRow * static_cast<double>(r.machines.size()) + 6;
  const double height = axis_y + 44;
  const auto x = [&](double figure) { return left + figure / scale_end * kBarsWidth; };
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    fixed0(width) + "\" height=\"" + fixed0(height) + "\" viewBox=\"0 0 " + fixed0(width) + " " +
                    fixed0(height) +
                    "\" font-family=\"monospace\" font-size=\"12\">\n"
                    "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
                    "<text x=\"16\" y=\"22\" font-size=\"14\">pibench: median figure per machine, higher is "
                    "faster</text>\n<text x=\"16\" y=\"40\">line: worst to best run; orange: the median's 95 % "
                    "interval</text>\n";
  double y = kTop;
  for (const MachineSummary& m : r.machines) {
    const std::string label = row_name(m) + (m.digits > 0 ? " (" + std::to_string(m.digits) + " digits)" : "");
    out += "<text x=\"" + fixed(left - 8) + "\" y=\"" + fixed(y + 15) + "\" text-anchor=\"end\">" +
           xml_text(row_name(m)) + "</text>\n";
    if (m.runs == 0) {
      out += "<text x=\"" + fixed(left) + "\" y=\"" + fixed(y + 15) + "\" fill=\"" + verdict_colour(m.verdict) + "\">" +
             xml_text(verdict_word(m.verdict)) + "</text>\n";
      y += kRow;
      out_(out);
      out.clear();
      continue;
    }
    out += "<rect x=\"" + fixed(left) + "\" y=\"" + fixed(y + 4) + "\" width=\"" + fixed(x(m.median) - left) +
           "\" height=\"16\" fill=\"" + colour::kBar + "\"><title>" + xml_text(label) + "</title></rect>\n";
    out += "<line x1=\"" + fixed(x(m.worst)) + "\" y1=\"" + fixed(y + 12) + "\" x2=\"" + fixed(x(m.best)) + "\" y2=\"" +
           fixed(y + 12) + "\" stroke=\"black\" stroke-width=\"2\"/>\n";
    if (m.median_ci) {
      out += "<rect class=\"median-ci\" x=\"" + fixed(x(m.median_ci->low)) + "\" y=\"" + fixed(y + 7) + "\" width=\"" +
             fixed(std::max(x(m.median_ci->high) - x(m.median_ci->low), 1.0)) + "\" height=\"10\" fill=\"" +
             colour::kInterval + "\" fill-opacity=\"0.7\"/>\n";
    }
    out += "<text x=\"" + fixed(x(scale_end) + 8) + "\" y=\"" + fixed(y + 15) + "\">" + xml_text(median_figures(m)) +
           "</text>\n";
    y += kRow;
    out_(out);
    out.clear();
  }
  out += "<line x1=\"" + fixed(left) + "\" y1=\"" + fixed(axis_y) + "\" x2=\"" + fixed(left + kBarsWidth) + "\" y2=\"" +
         fixed(axis_y) + "\" stroke=\"black\"/>\n";
  for (int tick = 0; tick <= 4; ++tick) {
    const double figure = scale_end / 4 * tick;
    out += "<line x1=\"" + fixed(x(figure)) + "\" y1=\"" + fixed(axis_y) + "\" x2=\"" + fixed(x(figure)) + "\" y2=\"" +
           fixed(axis_y + 5) + "\" stroke=\"black\"/>\n";
    out += "<text x=\"" + fixed(x(figure)) + "\" y=\"" + fixed(axis_y + 18) + "\" text-anchor=\"middle\">" +
           figure_text(figure) + "</text>\n";
  }
  out_(out + "</svg>\n");
}

}  // namespace report

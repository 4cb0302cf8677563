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
  // The figures written right of the bars.
  const auto figures_of = [](const MachineSummary& m) {
    return figure_text(m.median) + " (" + std::to_string(m.runs) + (m.runs == 1 ? " run" : " runs") +
           (m.digits > 0 ? ", " + std::to_string(m.digits) + " digits)" : ")");
  };
  std::size_t longest = 7, longest_figures = 0;
  double scale_end = 0;
  for (const MachineSummary& m : r.machines) {
    longest = std::max(longest, runtime::display_width(row_name(m)));
    if (m.runs > 0) longest_figures = std::max(longest_figures, figures_of(m).size());
    scale_end = std::max(scale_end, m.best);
  }
  // The axis ends at the first of 1, 2, 2.5 or 5 times a power of ten past the best figure.
  double step = scale_end > 0 ? std::pow(10.0, std::floor(std::log10(scale_end))) : 1;
  for (const double m : {1.0, 2.0, 2.5, 5.0, 10.0}) {
    if (m * step >= scale_end) {
      step = std::isfinite(m * step) ? m * step : scale_end;
      break;
    }
  }
  scale_end = step;
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
      out += "<text x=\"" + fixed(left) + "\" y=\"" + fixed(y + 15) + "\" fill=\"#b42318\">" +
             xml_text(verdict_word(m.verdict)) + "</text>\n";
      y += kRow;
      out_(out);
      out.clear();
      continue;
    }
    out += "<rect x=\"" + fixed(left) + "\" y=\"" + fixed(y + 4) + "\" width=\"" + fixed(x(m.median) - left) +
           "\" height=\"16\" fill=\"#4a7ebb\"><title>" + xml_text(label) + "</title></rect>\n";
    out += "<line x1=\"" + fixed(x(m.worst)) + "\" y1=\"" + fixed(y + 12) + "\" x2=\"" + fixed(x(m.best)) + "\" y2=\"" +
           fixed(y + 12) + "\" stroke=\"black\" stroke-width=\"2\"/>\n";
    if (m.median_ci) {
      out += "<rect class=\"median-ci\" x=\"" + fixed(x(m.median_ci->low)) + "\" y=\"" + fixed(y + 7) + "\" width=\"" +
             fixed(std::max(x(m.median_ci->high) - x(m.median_ci->low), 1.0)) +
             "\" height=\"10\" fill=\"#e07b00\" fill-opacity=\"0.7\"/>\n";
    }
    out += "<text x=\"" + fixed(x(scale_end) + 8) + "\" y=\"" + fixed(y + 15) + "\">" + xml_text(figures_of(m)) +
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

void write_batches_svg(const Report& r, const Sink& out_) {
  constexpr double kWidth = 860, kLeft = 16, kRight = 844, kLine = 9, kNameLine = 18;
  double low = 0, high = 0;
  double height = 48;
  for (const MachineSummary& m : r.machines) {
    std::vector<double> shown = m.left_out_figures;
    if (m.runs > 0) shown.insert(shown.end(), {m.worst, m.best});
    for (const double f : shown) {
      low = low > 0 ? std::min(low, f) : f;
      high = std::max(high, f);
    }
    const std::size_t lines = m.batches.size() + (m.left_out_figures.empty() ? 0 : 1);
    if (lines > 0) height += kNameLine + kLine * static_cast<double>(lines) + 8;
  }
  const double span = high > low ? high - low : std::max(high, 1.0);
  const double from = low - span * 0.05, to = high + span * 0.05;
  const auto x = [&](double figure) { return kLeft + (figure - from) / (to - from) * (kRight - kLeft); };
  std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"batches\" width=\"" + fixed0(kWidth) +
                    "\" height=\"" + fixed0(height) + "\" viewBox=\"0 0 " + fixed0(kWidth) + " " + fixed0(height) +
                    "\" font-family=\"monospace\" font-size=\"12\">\n"
                    "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
                    "<text x=\"16\" y=\"20\" font-size=\"14\">Each run, a line a batch in the order measured; "
                    "|: its median</text>\n"
                    "<text x=\"16\" y=\"36\">" +
                    xml_text(figure_text(from)) + " to " + xml_text(figure_text(to)) +
                    ", higher is faster; hollow red: disturbed runs left out</text>\n";
  double y = 48;
  for (const MachineSummary& m : r.machines) {
    if (m.batches.empty() && m.left_out_figures.empty()) continue;
    out += "<text x=\"16\" y=\"" + fixed(y + 13) + "\">" + xml_text(row_name(m)) + "</text>\n";
    y += kNameLine;
    for (std::size_t b = 0; b < m.batches.size(); ++b) {
      const char* colour = b % 2 == 0 ? "#4a7ebb" : "#e07b00";
      const double line = y + kLine / 2;
      out += "<g fill=\"" + std::string(colour) + "\"><title>" +
             xml_text("batch " + std::to_string(b + 1) + ": median " + figure_text(m.batch_median(b)) + ", " +
                      std::to_string(m.batches[b].size()) + (m.batches[b].size() == 1 ? " run" : " runs")) +
             "</title>";
      for (const double figure : m.batches[b]) {
        out += "<circle cx=\"" + fixed(x(figure)) + "\" cy=\"" + fixed(line) + "\" r=\"3\"/>";
      }
      const double median_x = x(m.batch_median(b));
      out += "<line x1=\"" + fixed(median_x) + "\" y1=\"" + fixed(y) + "\" x2=\"" + fixed(median_x) + "\" y2=\"" +
             fixed(y + kLine) + "\" stroke=\"black\" stroke-width=\"2\"/></g>\n";
      y += kLine;
    }
    if (!m.left_out_figures.empty()) {
      out += "<g class=\"left-out\" fill=\"none\" stroke=\"#b42318\"><title>" +
             xml_text(std::to_string(m.left_out_figures.size()) + " disturbed " +
                      (m.left_out_figures.size() == 1 ? "run" : "runs") + " left out") +
             "</title>";
      for (const double figure : m.left_out_figures) {
        out += "<circle cx=\"" + fixed(x(figure)) + "\" cy=\"" + fixed(y + kLine / 2) + "\" r=\"3\"/>";
      }
      out += "</g>\n";
      y += kLine;
    }
    y += 8;
    out_(out);
    out.clear();
  }
  out_("</svg>\n");
}

}  // namespace report

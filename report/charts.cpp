#include "report/charts.hpp"

#include "report/svg_parts.hpp"

namespace report {

const char* chart_style() {
  // Wide: name, plot and note in three columns shared by every row, so that
  // the plots line up. Narrow: each row its own grid, the plot under the name.
  // The plot's side margins hold the axis labels at its ends.
  return "figure.chart{margin:.5em 0 1.5em}figure.chart figcaption{color:#555;font-size:.9em;margin-bottom:.5em}"
         "div.rows{display:grid;grid-template-columns:fit-content(35%) minmax(12em,1fr) max-content;"
         "column-gap:1em;align-items:start;font-size:.875em;line-height:22px}"
         "div.rows>div{display:contents}"
         ".rows .name{grid-column:1;overflow-wrap:anywhere}"
         ".rows .note{grid-column:3;white-space:nowrap}"
         ".rows svg{grid-column:2;display:block;width:100%;box-sizing:border-box;padding:0 2.5em;overflow:visible;"
         "font:12px sans-serif}"
         "@media (max-width:800px){body{margin:1em}div.rows{display:block}"
         "div.rows>div{display:grid;grid-template-columns:minmax(0,1fr) "
         "auto;column-gap:1em;margin-top:.3em;line-height:1.3}"
         ".rows .note{grid-column:2;white-space:normal;text-align:right}.rows svg{grid-column:1/-1;grid-row:2}}";
}

std::string percent(double share) { return fixed(share * 100) + "%"; }

std::string chart_start(const char* id, const std::string& heading, const std::string& legend) {
  return "<h2>" + xml_text(heading) + "</h2>\n<figure class=\"chart\" id=\"" + id + "\">\n<figcaption>" +
         xml_text(legend) + "</figcaption>\n<div class=\"rows\">\n";
}

std::string plot(double height, const std::string& marks) {
  return "<svg height=\"" + fixed0(height) + "\">" + marks + "</svg>";
}

std::string chart_row(const MachineSummary& m, const std::string& plot, const std::string& note,
                      const char* note_class) {
  return "<div><span class=\"name\">" + xml_text(row_name(m)) + "</span>" + plot + "<span class=\"note" +
         (note_class != nullptr ? std::string(" ") + note_class : "") + "\">" + note + "</span></div>\n";
}

std::string chart_axis(const std::vector<std::pair<double, std::string>>& ticks) {
  std::string marks = "<line x1=\"0%\" y1=\"0.5\" x2=\"100%\" y2=\"0.5\" stroke=\"black\"/>";
  for (const auto& [share, label] : ticks) {
    marks += "<line x1=\"" + percent(share) + "\" y1=\"0\" x2=\"" + percent(share) +
             "\" y2=\"5\" stroke=\"black\"/><text x=\"" + percent(share) + "\" y=\"18\" text-anchor=\"middle\">" +
             xml_text(label) + "</text>";
  }
  return "<div class=\"axis\">" + plot(24, marks) + "</div>\n";
}

std::string chart_end() { return "</div>\n</figure>\n"; }

}  // namespace report

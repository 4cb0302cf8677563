#pragma once
// The page's charts, one function each. A chart is a figure of rows, one a
// machine: its name, a plot of its marks and a note. On a wide screen the
// three stand in aligned columns; on a narrow one (a phone) the name and the
// note share a line above a plot as wide as the page. The words are the
// page's own text, never scaled; the marks are SVG drawn in shares of the
// plot's width (`percent`), so that a plot fits any width at its height.
//
// A chart writes chart_start, a chart_row a machine, maybe a chart_axis, and
// chart_end; the page's style (chart_style) lays them out.
#include <string>
#include <utility>
#include <vector>

#include "report/formats.hpp"

namespace report {

// Each row's ratio to the reference with its interval, on a log scale
// around 1.
void write_comparison_chart(const Report& report, const Sink& out);

// Each row's median as a bar, with its worst and best runs and the median's
// interval.
void write_medians_chart(const Report& report, const Sink& out);

// The runs of each row, a line a batch: a drift between batches shows as
// lines shifted against each other.
void write_batches_chart(const Report& report, const Sink& out);

// The rules that lay the charts out, for the page's style sheet.
const char* chart_style();

// A share of the plot's width (0 to 1) as an SVG coordinate.
std::string percent(double share);

// The heading, the figure and its legend, which is text of the page's own.
std::string chart_start(const char* id, const std::string& heading, const std::string& legend);

// A plot `height` pixels high holding `marks`.
std::string plot(double height, const std::string& marks);

// A row: the machine's name, its plot and a note (HTML text, escaped by the
// caller), the note in the class of `note_class` where there is one.
std::string chart_row(const MachineSummary& m, const std::string& plot, const std::string& note,
                      const char* note_class = nullptr);

// An axis under the plots: a tick and its label at each share of the width.
std::string chart_axis(const std::vector<std::pair<double, std::string>>& ticks);

std::string chart_end();

}  // namespace report

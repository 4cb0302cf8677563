#pragma once
// The report's output formats. Each writes its output in pieces, a row at a
// time, so that a report of any size is never held whole.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "report/statistics.hpp"
#include "report/verdicts.hpp"

namespace report {

// kText: the columns a person reads first, to fit a terminal; kWideText:
// every column.
enum class Format { kText, kWideText, kMarkdown, kCsv, kJson, kSvg, kHtml };

using Sink = std::function<void(std::string_view)>;

constexpr int kTextColumns = 100;  // the text table's width off a terminal

// The text table in at most `columns` columns, as far as the columns read
// first and names cut to 12 columns allow.
void write_text(const Report& report, int columns, const Sink& out);
// Every column, --wide.
void write_wide_text(const Report& report, const Sink& out);
void write_markdown(const Report& report, const Sink& out);
void write_csv(const Report& report, const Sink& out);
void write_json(const Report& report, const Sink& out);
void write_svg(const Report& report, const Sink& out);
void write_html(const Report& report, const Sink& out);

// One row's batch medians against time, its levels and its changes, for
// the page; nothing for a row without a history.
void write_timeline_svg(const MachineSummary& m, const Sink& out);

// Text for XML and HTML: names are displayable already (no character
// that XML forbids), so only markup is escaped.
std::string xml_text(const std::string& text);

void write_report(const Report& report, Format format, const Sink& out, int columns = kTextColumns);

// What the rows of copies run at once show, as the text and the page say it.
std::string copies_text();

// How the intervals and verdicts are made, as the text and the page say it.
std::string batches_text();

// How many disturbed runs were left out of the figures and why, as the
// text, Markdown and the page say it; empty when none was.
std::string left_out_text(const Report& report);

// The changes found in the rows' levels, a line each, as the text says them.
std::string changes_text(const Report& report);

// "N other lines skipped", as the text says it.
std::string skipped_text(std::int64_t lines);
// " (N longer than 16 MiB)" after it; nothing for none.
std::string long_lines_text(std::int64_t lines);
// The line saying that N runs read before were dropped.
std::string repeated_text(std::int64_t lines);

// The whole output as one string.
std::string render(const Report& report, Format format);

}  // namespace report

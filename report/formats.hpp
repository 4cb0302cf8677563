#pragma once
// The report's output formats. Each writes its output in pieces, a row at a
// time, so that a report of any size is never held whole.
#include <functional>
#include <string>
#include <string_view>

#include "report/statistics.hpp"

namespace report {

enum class Format { kText, kMarkdown, kCsv, kJson, kSvg };

using Sink = std::function<void(std::string_view)>;

void write_text(const Report& report, const Sink& out);
void write_markdown(const Report& report, const Sink& out);
void write_csv(const Report& report, const Sink& out);
void write_json(const Report& report, const Sink& out);
void write_svg(const Report& report, const Sink& out);

void write_report(const Report& report, Format format, const Sink& out);

// The whole output as one string.
std::string render(const Report& report, Format format);

}  // namespace report

#include "report/formats.hpp"

namespace report {

void write_report(const Report& report, Format format, const Sink& out) {
  switch (format) {
    case Format::kText:
      return write_text(report, out);
    case Format::kMarkdown:
      return write_markdown(report, out);
    case Format::kCsv:
      return write_csv(report, out);
    case Format::kJson:
      return write_json(report, out);
    case Format::kSvg:
      return write_svg(report, out);
    case Format::kHtml:
      return write_html(report, out);
  }
}

std::string copies_text() {
  return "Rows of more than one copy show the throughput of the copies run at once, and compare\n"
         "with the reference's row at as many copies. Scaling: that median over the copies times the\n"
         "same machine's median at one copy and the same digits; 1.00 is perfect.\n";
}

std::string render(const Report& report, Format format) {
  std::string all;
  write_report(report, format, [&](std::string_view piece) { all += piece; });
  return all;
}

}  // namespace report

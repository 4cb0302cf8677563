#include "report/formats.hpp"

namespace report {

void write_report(const Report& report, Format format, const Sink& out, int columns) {
  switch (format) {
    case Format::kText:
      return write_text(report, columns, out);
    case Format::kWideText:
      return write_wide_text(report, out);
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

std::string batches_text() {
  return "95 %: the median's interval by order statistics (from 6 runs). Relative: the geometric mean\n"
         "of each batch's median over the reference's; its interval is Welch's t on their logarithms\n"
         "(from 2 batches a side). The runs of one batch share the host's pace of the moment, so only\n"
         "batches measured at other times show how that pace drifts. A lasting drift looks like\n"
         "another machine: spread the batches in time (--pause) or over the day.\n";
}

std::string left_out_text(const Report& r) {
  if (r.left_out_runs == 0) return "";
  std::string why;
  for (const auto& [kind, count] : r.left_out) why += (why.empty() ? "" : ", ") + kind + " " + std::to_string(count);
  return std::to_string(r.left_out_runs) + (r.left_out_runs == 1 ? " disturbed run" : " disturbed runs") +
         " left out of the figures (" + why + "); --all-runs keeps them.\n";
}

std::string render(const Report& report, Format format) {
  std::string all;
  write_report(report, format, [&](std::string_view piece) { all += piece; });
  return all;
}

}  // namespace report

// HTML: one self-contained page to mail or attach: the table with its
// verdicts, the chart, and what the logs tell of each machine. No script
// and nothing from elsewhere.
#include <algorithm>
#include <string>

#include "report/columns.hpp"
#include "report/formats.hpp"
#include "report/history.hpp"
#include "report/svg_parts.hpp"

namespace report {

namespace {

constexpr const char* kStyle =
    "body{font-family:sans-serif;margin:2em;color:#222}"
    "table{border-collapse:collapse;margin:1em 0}"
    "th,td{border:1px solid #bbb;padding:.3em .6em;text-align:right}"
    "th:first-child,td:first-child{text-align:left;min-width:10em}"
    "tr.reference{background:#eef3fa}"
    "td.faster{color:#1a7f37}td.slower{color:#b42318}"
    "dl{display:grid;grid-template-columns:max-content auto;gap:.2em 1em}dt{font-weight:bold}"
    "p.note{color:#555;font-size:.9em}"
    "figure{margin:1em 0}svg{max-width:100%;height:auto}"  // the charts scale down on a narrow screen
    "div.table{overflow-x:auto}";                          // and the table scrolls in its own box

std::string cell(const std::string& text, const char* tag = "td", const std::string& css_class = "") {
  return std::string("<") + tag + (css_class.empty() ? "" : " class=\"" + css_class + "\"") + ">" + xml_text(text) +
         "</" + tag + ">";
}

std::string facts_of(const MachineSummary& m) {
  const MachineFacts& f = *m.facts;
  std::string out = "<h3>" + xml_text(m.machine) + (m.digits > 0 ? ", " + std::to_string(m.digits) + " digits" : "") +
                    (m.copies > 1 ? ", " + std::to_string(m.copies) + " copies" : "") + "</h3>\n<dl>";
  const std::pair<const char*, const std::string*> rows[] = {
      {"processor", &f.cpu},  {"logical CPUs", &f.logical_cpus}, {"operating system", &f.os},
      {"kernel", &f.kernel},  {"governor", &f.governor},         {"build", &f.build},
      {"pibench", &f.version}};
  for (const auto& [name, value] : rows) {
    out += "<dt>" + std::string(name) + "</dt><dd>" + (value->empty() ? "unknown" : xml_text(*value)) + "</dd>";
  }
  return out + "<dt>disturbed runs</dt><dd>" + std::to_string(m.disturbed) + "</dd></dl>\n";
}

}  // namespace

void write_html(const Report& r, const Sink& out) {
  out(std::string("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n") +
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n" +
      "<title>pibench: machines compared</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n" +
      "<h1>pibench: machines compared</h1>\n<p>" +
      (r.reference.empty() ? std::string("No machine has a run left to compare.")
                           : "Higher is faster. The reference is <b>" + xml_text(r.reference) + "</b>.") +
      "</p>\n<div class=\"table\">\n<table id=\"machines\">\n<thead><tr><th>machine</th>");
  std::string header;
  for (const Column& c : columns()) {
    if (c.text != nullptr) header += cell(c.title, "th");
  }
  out(header + "</tr></thead>\n<tbody>\n");
  for (const MachineSummary& m : r.machines) {
    std::string row = m.verdict == Verdict::kReference ? "<tr class=\"reference\">" : "<tr>";
    row += cell(m.machine);
    for (const Column& c : columns()) {
      if (c.text == nullptr) continue;
      const bool verdict = std::string(c.key) == "verdict";
      row += cell(c.text(m), "td", verdict ? verdict_word(m.verdict) : "");
    }
    out(row + "</tr>\n");
  }
  out("</tbody>\n</table>\n</div>\n");
  if (const std::string left_out = left_out_text(r); !left_out.empty()) {
    out("<p class=\"left-out\">" + xml_text(left_out) + "</p>\n");
  }
  out("<h2>The machines compared</h2>\n<figure id=\"comparison\">\n");
  write_comparison_svg(r, out);
  out("</figure>\n<h2>The medians</h2>\n<figure id=\"chart\">\n");
  // The chart is the SVG format's, without its XML declaration.
  bool declaration = true;
  write_svg(r, [&](std::string_view piece) {
    if (declaration) piece.remove_prefix(piece.find('\n') + 1);
    declaration = false;
    out(piece);
  });
  out("</figure>\n<h2>The runs, batch by batch</h2>\n<figure id=\"batches\">\n");
  write_batches_svg(r, out);
  std::string note = "</figure>\n<p class=\"note\">" + xml_text(batches_text()) +
                     " Figures from record files are timed in whole seconds; figures from run logs to the microsecond.";
  if (std::any_of(r.machines.begin(), r.machines.end(), [](const MachineSummary& m) { return m.copies > 1; })) {
    note.append(" ").append(xml_text(copies_text()));
  }
  out(note + "</p>\n");
  // Each machine of more than 2 batches through time, with its changes.
  bool first = true;
  for (const MachineSummary& m : r.machines) {
    if (!m.history || m.history->batches.size() <= 2) continue;
    if (first) out("<h2>Each machine through time</h2>\n");
    first = false;
    out("<h3>" + xml_text(row_name(m)) + (m.digits > 0 ? ", " + std::to_string(m.digits) + " digits" : "") +
        "</h3>\n<figure class=\"timeline\">\n");
    write_timeline_svg(m, out);
    std::string changes;
    for (const RowChange& c : m.history->changes) {
      changes +=
          "<li>" + xml_text(when_words(*m.history, c) + ": " + change_words(c) + "; " + facts_words(c)) + "</li>";
    }
    out("</figure>\n" + (changes.empty() ? "<p class=\"note\">" +
                                               xml_text(m.history->searched ? "No change found."
                                                                            : "Too few batches to look for a change.") +
                                               "</p>\n"
                                         : "<ul class=\"changes\">" + changes + "</ul>\n"));
  }
  std::string facts;
  for (const MachineSummary& m : r.machines) {
    if (m.facts) facts += facts_of(m);
  }
  if (!facts.empty()) out("<h2>The machines, as their run logs tell</h2>\n" + facts);
  out("</body>\n</html>\n");
}

}  // namespace report

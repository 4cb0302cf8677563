// HTML: one self-contained page to mail or attach: the table with its
// verdicts, the chart, and what the logs tell of each machine. No script
// and nothing from elsewhere.
#include <algorithm>
#include <set>
#include <string>

#include "report/charts.hpp"
#include "report/columns.hpp"
#include "report/formats.hpp"
#include "report/history.hpp"
#include "report/svg_parts.hpp"

namespace report {

namespace {

// The table in a smaller type, its cells on one line each but the names',
// fits a laptop's screen; on a phone it scrolls in its own box.
constexpr const char* kStyle =
    "body{font-family:sans-serif;margin:2em;color:#222}"
    "table{border-collapse:collapse;margin:1em 0;font-size:.8125em}"
    "th,td{border:1px solid #bbb;padding:.3em .35em;text-align:right;white-space:nowrap}th{white-space:normal}"
    "th:first-child,td:first-child{text-align:left;white-space:normal;min-width:8em;max-width:18em;"
    "overflow-wrap:anywhere}"
    "tr.reference{background:#eef3fa}"
    "dl{display:grid;grid-template-columns:max-content auto;gap:.2em 1em}dt{font-weight:bold}"
    "p.note,details{color:#555;font-size:.9em}"
    "div.table{overflow-x:auto}"
    "figure.timeline{margin:1em 0}svg.timeline{max-width:100%;height:auto}";

// Each verdict's colour, for the kinds the report holds.
std::string verdict_colours(const Report& r) {
  std::set<std::string> rules;
  for (const MachineSummary& m : r.machines) {
    const char* kind = verdict_key(m.verdict);
    rules.insert(std::string("td.") + kind + ",span." + kind + "{color:" + verdict_colour(m.verdict) + "}");
  }
  std::string all;
  for (const std::string& rule : rules) all += rule;
  return all;
}

std::string cell(const std::string& text, const char* tag = "td") {
  return std::string("<") + tag + ">" + xml_text(text) + "</" + tag + ">";
}

// The verdict in a few words, the whole of it on hover and below the table.
std::string verdict_cell(const MachineSummary& m) {
  return std::string("<td class=\"") + verdict_key(m.verdict) + "\" title=\"" + xml_text(verdict_column().text(m)) +
         "\">" + xml_text(short_verdict(m)) + "</td>";
}

// The verdicts whose whole words say more than the table's: what would
// resolve 1 %, or what the row lacks.
std::string verdicts_in_full(const Report& r) {
  std::string items;
  for (const MachineSummary& m : r.machines) {
    if (m.verdict == Verdict::kReference || m.verdict == Verdict::kFaster || m.verdict == Verdict::kSlower) continue;
    items += "<li>" + xml_text(row_name(m)) + ": " + xml_text(verdict_column().text(m)) + "</li>\n";
  }
  if (items.empty()) return "";
  return "<details><summary>The verdicts in full</summary>\n<ul>\n" + items + "</ul>\n</details>\n";
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
      "<title>pibench: machines compared</title>\n<style>" + kStyle + chart_style() + verdict_colours(r) +
      "</style>\n</head>\n<body>\n" + "<h1>pibench: machines compared</h1>\n<p>" +
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
      if (c.text != nullptr) row += &c == &verdict_column() ? verdict_cell(m) : cell(c.text(m));
    }
    out(row + "</tr>\n");
  }
  out("</tbody>\n</table>\n</div>\n" + verdicts_in_full(r));
  if (const std::string left_out = left_out_text(r); !left_out.empty()) {
    out("<p class=\"left-out\">" + xml_text(left_out) + "</p>\n");
  }
  write_comparison_chart(r, out);
  write_medians_chart(r, out);
  write_batches_chart(r, out);
  std::string note = "<p class=\"note\">" + xml_text(batches_text()) +
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
                                                        : m.history->batches.size() >= kMinChangeBatches
                                                            ? "Its batch medians are all equal: no change to find."
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

// A Markdown table, ready to paste.
#include "report/columns.hpp"
#include "report/formats.hpp"
#include "report/history.hpp"

namespace report {

namespace {

// Every ASCII character that Markdown may read as syntax, escaped.
std::string markdown_cell(const std::string& text, std::string_view syntax) {
  std::string out;
  for (const char c : text) {
    if (syntax.find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

void write_markdown(const Report& r, const Sink& out) {
  std::string header = "| machine |", rule = "|---|";
  for (const Column& c : columns()) {
    if (c.text == nullptr) continue;
    std::string title = c.title;
    title.erase(title.find_last_not_of(' ') + 1);
    header.append(" ").append(title).append(" |");
    rule += "---:|";
  }
  out(header + "\n" + rule + "\n");
  for (const MachineSummary& m : r.machines) {
    std::string row = "| " + markdown_cell(m.machine, "\\`*_{}[]<>()#+-.!|&~") + " |";
    for (const Column& c : columns()) {
      if (c.text == nullptr) continue;
      std::string cell = c.text(m);
      cell.erase(cell.find_last_not_of(' ') + 1);
      row.append(" ").append(markdown_cell(cell, "*|")).append(" |");
    }
    out(row + "\n");
  }
  // The changes in the rows' levels, a row each.
  bool first = true;
  for (const MachineSummary& m : r.machines) {
    if (!m.history) continue;
    const std::size_t count = m.history->changes.size();
    for (std::size_t i = 0; i < count; ++i) {
      const RowChange& c = m.history->changes[i];
      if (first) out("\n| machine | change | when | level after to before | what changed |\n|---|---:|---|---|---|\n");
      first = false;
      out("| " + markdown_cell(m.machine, "\\`*_{}[]<>()#+-.!|&~") + " | " + std::to_string(i + 1) + " of " +
          std::to_string(count) + " | " + markdown_cell(when_words(*m.history, c), "*|") + " | " +
          markdown_cell(change_words(c), "*|") + " | " + markdown_cell(facts_words(c), "\\`*_{}[]<>()#+-.!|&~") +
          " |\n");
    }
  }
  if (const std::string left_out = left_out_text(r); !left_out.empty()) {
    out("\n");
    out(markdown_cell(left_out, "*|_"));
  }
}

}  // namespace report

#include "report/report.hpp"

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <regex>
#include <set>

#include "report/formats.hpp"
#include "report/read.hpp"
#include "report/runs.hpp"
#include "report/statistics.hpp"
#include "runtime/stop.hpp"
#include "runtime/text.hpp"
#include "runtime/unit.hpp"

namespace report {

namespace {

[[noreturn]] void usage_error(const std::string& problem) {
  runtime::exit_with_error("pibench: " + problem + " (see pibench --help)");
}

// Standard output in large pieces; a piece that cannot be written (a full
// disk, a closed pipe, a file-size limit) ends the report with status 1.
class Output {
 public:
  void operator()(std::string_view piece) {
    buffer_ += piece;
    if (buffer_.size() >= kPiece) flush();
  }
  void flush() {
    if (!runtime::console_write(buffer_)) {
      runtime::error_write("pibench: cannot write the report to standard output\n");
      runtime::exit_with_status(1);
    }
    buffer_.clear();
  }

 private:
  static constexpr std::size_t kPiece = 1 << 16;
  std::string buffer_;
};

struct Arguments {
  Format format = Format::kText;
  std::optional<std::string> reference;
  bool all_runs = false;
  bool wide = false;
  std::optional<double> fail_on_change;  // seconds since 1970 in UTC
  std::vector<std::string> files;
};

// "2026-12-10", "2026-12-10T14:02", "2026-12-10T14:02:05", with "Z" or an
// offset "+01:00" after a time: UTC when none is given. Digits exactly where
// the form has them, nothing else.
std::optional<double> since_seconds(const std::string& text) {
  static const std::regex kForm(
      R"((\d{4})-(\d{2})-(\d{2})(?:T(\d{2}):(\d{2})(?::(\d{2}))?(Z|([+-])(\d{2}):(\d{2}))?)?)");
  std::smatch m;
  if (!std::regex_match(text, m, kForm)) return std::nullopt;
  const auto number = [&](std::size_t group) { return m[group].matched ? std::stoi(m[group].str()) : 0; };
  const int hour = number(4), minute = number(5), second = number(6), offset_hours = number(9),
            offset_minutes = number(10);
  const std::chrono::year_month_day date{std::chrono::year(number(1)),
                                         std::chrono::month(static_cast<unsigned>(number(2))),
                                         std::chrono::day(static_cast<unsigned>(number(3)))};
  if (!date.ok() || hour > 23 || minute > 59 || second > 60 || offset_hours > 23 || offset_minutes > 59)
    return std::nullopt;
  const double offset = (m[8] == "-" ? -1 : 1) * (offset_hours * 3600.0 + offset_minutes * 60.0);
  return static_cast<double>(std::chrono::sys_days(date).time_since_epoch().count()) * 86400 + hour * 3600.0 +
         minute * 60.0 + second - offset;
}

Arguments parse(const std::vector<std::string>& arguments) {
  static const std::map<std::string, Format> kFormats = {{"text", Format::kText}, {"markdown", Format::kMarkdown},
                                                         {"csv", Format::kCsv},   {"json", Format::kJson},
                                                         {"svg", Format::kSvg},   {"html", Format::kHtml}};
  Arguments parsed;
  std::set<std::string> given;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    const bool known =
        a == "--format" || a == "--reference" || a == "--all-runs" || a == "--wide" || a == "--fail-on-change";
    if (a == "--report") usage_error("--report is given twice");
    if (a.starts_with("--") && !known) usage_error("unknown option '" + runtime::displayable(a) + "' for --report");
    // Each option once, as the run options take them.
    if (known && !given.insert(a).second) usage_error(a + " is given twice");
    if (a == "--format" || a == "--reference" || a == "--fail-on-change") {
      if (i + 1 == arguments.size()) usage_error(a + " needs a value");
      const std::string& value = arguments[++i];
      if (a == "--fail-on-change") {
        parsed.fail_on_change = since_seconds(value);
        if (!parsed.fail_on_change) {
          usage_error("--fail-on-change needs a date or time as 2026-12-10 or 2026-12-10T14:02, not '" +
                      runtime::displayable(value) + "'");
        }
      } else if (a == "--reference") {
        parsed.reference = value;
      } else if (const auto f = kFormats.find(value); f != kFormats.end()) {
        parsed.format = f->second;
      } else {
        usage_error("unknown format '" + runtime::displayable(value) + "': text, markdown, csv, json, svg or html");
      }
    } else if (a == "--all-runs") {
      parsed.all_runs = true;
    } else if (a == "--wide") {
      parsed.wide = true;
    } else {
      parsed.files.push_back(a);
    }
  }
  if (parsed.files.empty()) parsed.files.emplace_back("Tarnoval.Dat");
  if (parsed.wide) {
    if (parsed.format != Format::kText) usage_error("--wide is for the text table");
    parsed.format = Format::kWideText;
  }
  return parsed;
}

// Every file read whole before anything is printed, a pipe as a file and
// "-" as standard input; a file that cannot be read is an error, and one
// file named twice (by any name) counts once.
Runs read_all(const std::vector<std::string>& files, bool all_runs) {
  Runs runs(all_runs);
  std::vector<runtime::os::FileId> seen;
  for (const std::string& name : files) {
    runtime::FileUnit file;
    if (!file.open_stream_for_reading(name.c_str())) usage_error("cannot read '" + runtime::displayable(name) + "'");
    if (const std::optional<runtime::os::FileId> id = file.id(); id && !id->null_device) {
      if (std::find(seen.begin(), seen.end(), *id) != seen.end()) continue;
      seen.push_back(*id);
    }
    if (!read_runs(file, runs, static_cast<int>(&name - files.data())))
      usage_error("cannot read '" + runtime::displayable(name) + "'");
  }
  return runs;
}

}  // namespace

void run_report(const std::vector<std::string>& arguments) {
  const Arguments a = parse(arguments);
  Runs runs = read_all(a.files, a.all_runs);
  if (a.reference) {
    // Only a machine with figures left can be the reference.
    const std::string wanted = runtime::displayable(*a.reference);
    const auto has_figures = [](const Row& row) { return !row.figures.batches.empty(); };
    const auto named = [&](const Row& row) { return row.key.machine == wanted; };
    if (std::none_of(runs.rows().begin(), runs.rows().end(),
                     [&](const Row& row) { return named(row) && has_figures(row); })) {
      if (std::any_of(runs.rows().begin(), runs.rows().end(), named)) {
        usage_error("'" + wanted + "' cannot be the reference: every run of it was disturbed (--all-runs keeps them)");
      }
      std::set<std::string> names;
      for (const auto& row : runs.rows()) {
        if (has_figures(row)) names.insert(row.key.machine);
      }
      std::string list;
      for (const std::string& name : names) list += (list.empty() ? "'" : ", '") + name + "'";
      const char* none = runs.rows().empty() ? ": the files hold no runs"
                                             : ": every run in the files was disturbed (--all-runs keeps them)";
      usage_error("no machine named '" + wanted + "'" +
                  (list.empty() ? std::string(none) : "; the machines are " + list));
    }
  }
  const std::int64_t skipped = runs.skipped_lines;
  const bool log_lines = runs.log_lines;
  const std::int64_t long_lines = runs.long_lines;
  const std::optional<Report> report = summarise(std::move(runs), a.reference);
  Output output;
  if (!report) usage_error("no machine named '" + runtime::displayable(*a.reference) + "'");
  if (report->machines.empty() && (a.format == Format::kText || a.format == Format::kWideText)) {
    output((log_lines ? "No runs in " : "No record lines in ") +
           runtime::displayable(a.files.size() == 1 ? a.files.front() : std::string("these files")) +
           ": nothing to compare (" + skipped_text(skipped) + long_lines_text(long_lines) + ").\n");
  } else {
    write_report(
        *report, a.format, [&](std::string_view piece) { output(piece); }, runtime::console_columns(kTextColumns));
  }
  output.flush();
  // A change whose first batch after it started at or after the time asked;
  // for a batch without a start, the next that has one, else the last before.
  if (a.fail_on_change) {
    for (const MachineSummary& m : report->machines) {
      if (!m.history) continue;
      const auto& batches = m.history->batches;
      for (const RowChange& c : m.history->changes) {
        std::optional<double> start;
        for (std::size_t b = c.after; b < batches.size() && !start; ++b) start = batches[b].start;
        for (std::size_t b = c.after; b > 0 && !start; --b) start = batches[b - 1].start;
        if (start && *start >= *a.fail_on_change) runtime::exit_with_status(3);
      }
    }
  }
  runtime::stop();
}

}  // namespace report

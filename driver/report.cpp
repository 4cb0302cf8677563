#include "driver/report.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <tuple>
#include <utility>

#include "driver/run_log.hpp"
#include "runtime/record_file.hpp"
#include "runtime/stop.hpp"
#include "runtime/unit.hpp"

namespace driver {

namespace {

constexpr int kFewRuns = 3;  // fewer runs than this are marked

std::string number(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string figure_text(double figure) { return number("%.7g", figure); }

std::string digits_text(const MachineSummary& m) { return m.digits ? std::to_string(*m.digits) : ""; }

double median_of(std::vector<double>& figures) {
  std::sort(figures.begin(), figures.end());
  const std::size_t n = figures.size();
  return n % 2 == 1 ? figures[n / 2] : (figures[n / 2 - 1] + figures[n / 2]) / 2;
}

// The number of characters a terminal shows for valid UTF-8.
std::size_t columns_of(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string padded(const std::string& text, std::size_t width, bool right = false) {
  const std::string fill(width > columns_of(text) ? width - columns_of(text) : 0, ' ');
  return right ? fill + text : text + fill;
}

std::string skipped_text(long lines) {
  return std::to_string(lines) + (lines == 1 ? " other line skipped" : " other lines skipped");
}

std::string text_report(const Report& r) {
  const bool any_precise =
      std::any_of(r.machines.begin(), r.machines.end(), [](const MachineSummary& m) { return m.precise; });
  const bool any_coarse =
      std::any_of(r.machines.begin(), r.machines.end(), [](const MachineSummary& m) { return !m.precise; });
  std::string out;
  std::size_t name_width = 7;
  double widest = 0;
  for (const MachineSummary& m : r.machines) {
    name_width = std::max(name_width, columns_of(displayable(m.machine)));
    widest = std::max(widest, m.median);
  }
  out += padded("machine", name_width) + "  digits    runs       median         best        worst  spread  relative\n";
  for (const MachineSummary& m : r.machines) {
    const auto bar = static_cast<std::size_t>(widest > 0 ? m.median / widest * 30 + 0.5 : 0);
    out += padded(displayable(m.machine), name_width) + padded(digits_text(m), 8, true) +
           padded(std::to_string(m.runs) + (m.runs < kFewRuns ? "*" : " "), 9, true) +
           padded(figure_text(m.median), 12, true) + " " + padded(figure_text(m.best), 12, true) + " " +
           padded(figure_text(m.worst), 12, true) + padded(number("%.1f%%", m.spread * 100), 8, true) +
           padded(number("%.3f", m.relative), 10, true) + "  " + std::string(std::max<std::size_t>(bar, 1), '#') + "\n";
  }
  out += "\nHigher is faster. Relative: each median divided by that of " + displayable(r.reference) + ".\n";
  if (std::any_of(r.machines.begin(), r.machines.end(), [](const MachineSummary& m) { return m.runs < kFewRuns; })) {
    out += "* fewer than 3 runs: run the benchmark again on that machine before trusting its median.\n";
  }
  if (any_coarse) {
    out +=
        "Each figure of a record file comes from a whole-second timing, so single runs of one\n"
        "machine differ by up to a fifth at 5 s: compare the medians.\n";
  }
  if (any_precise) out += "Figures from run logs are precise: timed to the microsecond.\n";
  if (std::any_of(r.machines.begin(), r.machines.end(),
                  [&](const MachineSummary& m) { return m.digits != r.machines.front().digits; })) {
    out += "Warning: the rows differ in digit count; only figures of the same count compare.\n";
  }
  if (r.skipped_lines > 0) out += skipped_text(r.skipped_lines) + ".\n";
  return out;
}

// Every ASCII character that Markdown may read as syntax, escaped.
std::string markdown_cell(const std::string& text) {
  std::string out;
  for (const char c : displayable(text)) {
    if (std::string_view("\\`*_{}[]<>()#+-.!|&~").find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

std::string markdown_report(const Report& r) {
  std::string out =
      "| machine | digits | runs | median | best | worst | spread | relative |\n"
      "|---|---:|---:|---:|---:|---:|---:|---:|\n";
  for (const MachineSummary& m : r.machines) {
    out += "| " + markdown_cell(m.machine) + " | " + digits_text(m) + " | " + std::to_string(m.runs) +
           (m.runs < kFewRuns ? "\\*" : "") + " | " + figure_text(m.median) + " | " + figure_text(m.best) + " | " +
           figure_text(m.worst) + " | " + number("%.1f%%", m.spread * 100) + " | " + number("%.3f", m.relative) +
           " |\n";
  }
  return out;
}

std::string csv_field(const std::string& text) {
  std::string valid = displayable(text);
  if (valid.find_first_of(",\"\r\n") == std::string::npos) return valid;
  std::string out = "\"";
  for (const char c : valid) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string csv_report(const Report& r) {
  std::string out = "machine,digits,runs,median,best,worst,spread,relative\n";
  for (const MachineSummary& m : r.machines) {
    out += csv_field(m.machine) + "," + digits_text(m) + "," + std::to_string(m.runs) + "," + figure_text(m.median) +
           "," + figure_text(m.best) + "," + figure_text(m.worst) + "," + number("%.4f", m.spread) + "," +
           number("%.4f", m.relative) + "\n";
  }
  return out;
}

std::string json_report(const Report& r) {
  nlohmann::ordered_json machines = nlohmann::ordered_json::array();
  for (const MachineSummary& m : r.machines) {
    nlohmann::ordered_json row;
    row["machine"] = m.machine;
    row["digits"] = m.digits ? nlohmann::ordered_json(*m.digits) : nlohmann::ordered_json(nullptr);
    row["runs"] = m.runs;
    row["median"] = m.median;
    row["best"] = m.best;
    row["worst"] = m.worst;
    row["spread"] = std::round(m.spread * 1e4) / 1e4;
    row["relative"] = std::round(m.relative * 1e4) / 1e4;
    machines.push_back(row);
  }
  const nlohmann::ordered_json report = {
      {"reference", r.reference}, {"skipped_lines", r.skipped_lines}, {"machines", machines}};
  return report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string xml_text(const std::string& text) {
  std::string out;
  for (const char c : displayable(text)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// One bar a machine at its median, a line from its worst to its best run,
// the names on the left, the figures on the right, an axis below.
std::string svg_report(const Report& r) {
  constexpr double kRow = 26, kTop = 40, kBarsWidth = 420, kCharWidth = 7.2;
  std::size_t longest = 7;
  double scale_end = 0;
  for (const MachineSummary& m : r.machines) {
    longest = std::max(longest, columns_of(displayable(m.machine)));
    scale_end = std::max(scale_end, m.best);
  }
  // The axis ends at the first of 1, 2, 2.5 or 5 times a power of ten past the best figure.
  double step = scale_end > 0 ? std::pow(10.0, std::floor(std::log10(scale_end))) : 1;
  for (const double m : {1.0, 2.0, 2.5, 5.0, 10.0}) {
    if (m * step >= scale_end) {
      step *= m;
      break;
    }
  }
  scale_end = step;
  const double left = 16 + static_cast<double>(longest) * kCharWidth + 12;
  const double width = left + kBarsWidth + 230;
  const double axis_y = kTop + kRow * static_cast<double>(r.machines.size()) + 6;
  const double height = axis_y + 44;
  const auto x = [&](double figure) { return left + figure / scale_end * kBarsWidth; };
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    number("%.0f", width) + "\" height=\"" + number("%.0f", height) + "\" viewBox=\"0 0 " +
                    number("%.0f", width) + " " + number("%.0f", height) +
                    "\" font-family=\"monospace\" font-size=\"12\">\n"
                    "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
                    "<text x=\"16\" y=\"22\" font-size=\"14\">pibench: median figure per machine, higher is faster "
                    "(line: worst to best run)</text>\n";
  double y = kTop;
  for (const MachineSummary& m : r.machines) {
    const std::string label = m.machine + (m.digits ? " (" + std::to_string(*m.digits) + " digits)" : "");
    out += "<text x=\"" + number("%.1f", left - 8) + "\" y=\"" + number("%.1f", y + 15) + "\" text-anchor=\"end\">" +
           xml_text(m.machine) + "</text>\n";
    out += "<rect x=\"" + number("%.1f", left) + "\" y=\"" + number("%.1f", y + 4) + "\" width=\"" +
           number("%.1f", x(m.median) - left) + "\" height=\"16\" fill=\"#4a7ebb\"><title>" + xml_text(label) +
           "</title></rect>\n";
    out += "<line x1=\"" + number("%.1f", x(m.worst)) + "\" y1=\"" + number("%.1f", y + 12) + "\" x2=\"" +
           number("%.1f", x(m.best)) + "\" y2=\"" + number("%.1f", y + 12) +
           "\" stroke=\"black\" stroke-width=\"2\"/>\n";
    out += "<text x=\"" + number("%.1f", x(scale_end) + 8) + "\" y=\"" + number("%.1f", y + 15) + "\">" +
           xml_text(figure_text(m.median) + " (" + std::to_string(m.runs) + (m.runs == 1 ? " run" : " runs") +
                    (m.digits ? ", " + std::to_string(*m.digits) + " digits)" : ")")) +
           "</text>\n";
    y += kRow;
  }
  out += "<line x1=\"" + number("%.1f", left) + "\" y1=\"" + number("%.1f", axis_y) + "\" x2=\"" +
         number("%.1f", left + kBarsWidth) + "\" y2=\"" + number("%.1f", axis_y) + "\" stroke=\"black\"/>\n";
  for (int tick = 0; tick <= 4; ++tick) {
    const double figure = scale_end * tick / 4;
    out += "<line x1=\"" + number("%.1f", x(figure)) + "\" y1=\"" + number("%.1f", axis_y) + "\" x2=\"" +
           number("%.1f", x(figure)) + "\" y2=\"" + number("%.1f", axis_y + 5) + "\" stroke=\"black\"/>\n";
    out += "<text x=\"" + number("%.1f", x(figure)) + "\" y=\"" + number("%.1f", axis_y + 18) +
           "\" text-anchor=\"middle\">" + figure_text(figure) + "</text>\n";
  }
  return out + "</svg>\n";
}

// Every file read whole before anything is printed; a file that cannot be
// read is an error.
bool read_runs(const std::string& name, Runs& runs) {
  runtime::FileUnit file;
  if (!file.open_for_reading(name.c_str())) return false;
  runtime::FileUnit::Line line;
  enum class Kind { kUnknown, kRecords, kLog } kind = Kind::kUnknown;
  for (;;) {
    const runtime::FileUnit::ReadResult read = file.read_line(line);
    if (read == runtime::FileUnit::ReadResult::kError) return false;
    if (read == runtime::FileUnit::ReadResult::kEnd) return true;
    const std::string_view text = line.text();
    if (kind == Kind::kUnknown) {
      const std::size_t first = text.find_first_not_of(" \t\r");
      if (first == std::string_view::npos) {
        ++runs.skipped_lines;
        continue;
      }
      kind = text[first] == '{' ? Kind::kLog : Kind::kRecords;
    }
    if (kind == Kind::kLog) {
      std::optional<Run> run = line.cut ? std::nullopt : parse_log_run(text);
      if (run) {
        runs.add(*run);
      } else {
        ++runs.skipped_lines;
      }
    } else if (const std::optional<runtime::Record> record = runtime::parse_record(line)) {
      runs.add(record->machine, record->figure);
    } else {
      ++runs.skipped_lines;
    }
  }
}

[[noreturn]] void usage_error(const std::string& problem) {
  runtime::exit_with_error("pibench: " + problem + " (see pibench --help)");
}

}  // namespace

std::string displayable(const std::string& bytes) {
  static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
  std::string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    // The length of a well-formed sequence starting here, 0 if none does.
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (b >= 0x20 && b < 0x7F) {
      length = 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
      length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;  // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    }
    bool well_formed = length > 0 && i + length <= bytes.size();
    for (std::size_t k = 1; well_formed && k < length; ++k) {
      const auto c = static_cast<unsigned char>(bytes[i + k]);
      well_formed = k == 1 ? c >= low && c <= high : c >= 0x80 && c <= 0xBF;
    }
    // C1 controls (U+0080 to U+009F) are controls too: one U+FFFD for the pair.
    const bool c1_control = well_formed && b == 0xC2 && static_cast<unsigned char>(bytes[i + 1]) < 0xA0;
    if (well_formed && !c1_control) {
      out.append(bytes, i, length);
    } else {
      out += kReplacement;
    }
    i += well_formed ? length : 1;
  }
  return out;
}

void Runs::add(const Run& run) {
  Figures& group = groups_[{run.machine, run.digits}];
  group.figures.push_back(run.figure);
  group.precise = group.precise && run.precise;
}

void Runs::add(std::string_view machine, double figure) {
  if (last_ == groups_.end() || last_->first.first != machine || last_->first.second) {
    last_ = groups_.try_emplace({std::string(machine), std::nullopt}).first;
  }
  last_->second.figures.push_back(figure);
  last_->second.precise = false;
}

std::optional<Report> summarise(const Runs& runs, const std::string& reference) {
  Report report{reference, runs.skipped_lines, {}};
  for (const auto& [key, group] : runs.groups()) {
    std::vector<double> figures = group.figures;
    const bool precise = group.precise;
    const double median = median_of(figures);
    report.machines.push_back({key.first, key.second, static_cast<int>(figures.size()), median, figures.back(),
                               figures.front(), median > 0 ? (figures.back() - figures.front()) / median : 0, 1.0,
                               precise});
  }
  std::stable_sort(report.machines.begin(), report.machines.end(),
                   [](const MachineSummary& a, const MachineSummary& b) { return a.median > b.median; });
  if (report.machines.empty()) return report;
  const auto base = reference.empty() ? report.machines.begin()
                                      : std::find_if(report.machines.begin(), report.machines.end(),
                                                     [&](const MachineSummary& m) { return m.machine == reference; });
  if (base == report.machines.end()) return std::nullopt;
  report.reference = base->machine;
  const double base_median = base->median;
  for (MachineSummary& m : report.machines) m.relative = base_median > 0 ? m.median / base_median : 0;
  return report;
}

std::string render(const Report& report, Format format) {
  switch (format) {
    case Format::kMarkdown:
      return markdown_report(report);
    case Format::kCsv:
      return csv_report(report);
    case Format::kJson:
      return json_report(report);
    case Format::kSvg:
      return svg_report(report);
    case Format::kText:
      break;
  }
  return text_report(report);
}

void run_report(const std::vector<std::string>& arguments) {
  static const std::map<std::string, Format> kFormats = {{"text", Format::kText},
                                                         {"markdown", Format::kMarkdown},
                                                         {"csv", Format::kCsv},
                                                         {"json", Format::kJson},
                                                         {"svg", Format::kSvg}};
  Format format = Format::kText;
  std::string reference;
  std::vector<std::string> files;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (a == "--format" || a == "--reference") {
      if (i + 1 == arguments.size()) usage_error(a + " needs a value");
      const std::string& value = arguments[++i];
      if (a == "--reference") {
        reference = value;
      } else if (const auto f = kFormats.find(value); f != kFormats.end()) {
        format = f->second;
      } else {
        usage_error("unknown format '" + displayable(value) + "': text, markdown, csv, json or svg");
      }
    } else if (a.starts_with("--")) {
      usage_error("unknown option '" + displayable(a) + "' for --report");
    } else {
      files.push_back(a);
    }
  }
  if (files.empty()) files.emplace_back("Tarnoval.Dat");
  Runs runs;
  for (const std::string& name : files) {
    if (!read_runs(name, runs)) usage_error("cannot read '" + displayable(name) + "'");
  }
  const std::optional<Report> report = summarise(runs, reference);
  if (!report) {
    std::string names;
    for (const auto& [key, group] : runs.groups()) {
      const std::string quoted = "'" + displayable(key.first) + "'";
      if (names.find(quoted) == std::string::npos) names += (names.empty() ? "" : ", ") + quoted;
    }
    usage_error("no machine named '" + displayable(reference) + "'; the machines are " + names);
  }
  if (report->machines.empty() && format == Format::kText) {
    runtime::console_write("No record lines in " + displayable(files.size() == 1 ? files.front() : "these files") +
                           ": nothing to compare (" + skipped_text(runs.skipped_lines) + ").\n");
  } else {
    runtime::console_write(render(*report, format));
  }
  runtime::stop();
}

}  // namespace driver

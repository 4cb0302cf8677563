#pragma once
// pibench --report: record files and run logs summarised per machine.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace driver {

// One measurement: a record line's figure, or a logged run's precise one.
struct Run {
  std::string machine;
  std::optional<int> digits;  // known for logged runs only
  double figure;
  bool precise;  // from a run log, timed to the microsecond
};

// What the files held: the figures of each machine (at each digit count),
// and the lines that were not runs. A run takes the room of its figure.
class Runs {
 public:
  void add(const Run& run);
  void add(std::string_view machine, double figure);  // a record line's
  long skipped_lines = 0;

  using Key = std::pair<std::string, std::optional<int>>;
  struct Figures {
    std::vector<double> figures;
    bool precise = true;
  };
  const std::map<Key, Figures>& groups() const { return groups_; }

 private:
  std::map<Key, Figures> groups_;
  std::map<Key, Figures>::iterator last_ = groups_.end();  // record lines come in runs of one machine
};

// One row of the report: the runs of one machine (at one digit count).
struct MachineSummary {
  std::string machine;
  std::optional<int> digits;
  int runs;
  double median, best, worst, spread, relative;
  bool precise;  // every figure from a run log
};

struct Report {
  std::string reference;
  long skipped_lines;
  std::vector<MachineSummary> machines;  // the fastest median first
};

// The summaries of `runs`, relative to the machine named `reference` (the
// fastest when empty). nullopt when no row is that machine.
std::optional<Report> summarise(const Runs& runs, const std::string& reference);

enum class Format { kText, kMarkdown, kCsv, kJson, kSvg };
std::string render(const Report& report, Format format);

// Valid UTF-8: every byte that is not part of a well-formed sequence, and
// every control character, shown as U+FFFD.
std::string displayable(const std::string& bytes);

// "--report [--format F] [--reference NAME] [FILE...]", the arguments after
// "--report": prints the report and ends normally, or says what is wrong on
// standard error and ends with status 2.
[[noreturn]] void run_report(const std::vector<std::string>& arguments);

}  // namespace driver

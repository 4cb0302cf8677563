#include "report/statistics.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "runtime/text.hpp"

namespace report {

std::vector<std::size_t> outliers(const std::vector<double>& figures) {
  constexpr double kDeviations = 3;
  std::vector<double> sorted = figures;
  std::sort(sorted.begin(), sorted.end());
  const double median = median_of_sorted(sorted);
  std::vector<double> deviations;
  deviations.reserve(figures.size());
  for (const double f : figures) deviations.push_back(std::fabs(f - median));
  sorted = deviations;
  std::sort(sorted.begin(), sorted.end());
  const double mad = median_of_sorted(sorted);
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < figures.size(); ++i) {
    if (mad > 0 && deviations[i] > kDeviations * mad) found.push_back(i);
  }
  return found;
}

double MachineSummary::batch_median(std::size_t b) const {
  // A row of one batch has the batch's median: its figures need not be read.
  return batches.size() == 1 ? median : median_of(batches[b]);
}

Batches MachineSummary::current_level() const {
  if (!history || history->changes.empty()) return batches;
  Batches current;
  for (std::size_t b = history->current(); b < history->batches.size(); ++b) {
    current.push_back(batches[history->batches[b].read]);
  }
  return current;
}

int MachineSummary::current_batches() const {
  if (!history) return static_cast<int>(batches.size());
  return static_cast<int>(history->batches.size() - history->current());
}

std::optional<double> MachineSummary::current_since() const {
  if (!history || history->changes.empty()) return std::nullopt;
  return history->batches[history->current()].start;
}

double finite_ratio(double a, double b) { return std::min(a / b, std::numeric_limits<double>::max()); }

namespace {

// The summaries, in the order they were first seen, by their medians, the
// fastest first: their places sorted, then each moved once to its own.
void fastest_first(std::deque<MachineSummary>& machines) {
  std::vector<std::pair<double, std::size_t>> places;
  places.reserve(machines.size());
  for (const MachineSummary& m : machines) places.emplace_back(-m.median, places.size());
  std::sort(places.begin(), places.end());
  // Each cycle of the permutation in turn; a place is marked done as its
  // summary arrives.
  constexpr std::size_t kDone = std::numeric_limits<std::size_t>::max();
  for (std::size_t start = 0; start < places.size(); ++start) {
    if (places[start].second == kDone) continue;
    MachineSummary held = std::move(machines[start]);
    std::size_t to = start;
    for (std::size_t from = places[to].second; from != start; from = places[to].second) {
      machines[to] = std::move(machines[from]);
      places[to].second = kDone;
      to = from;
    }
    machines[to] = std::move(held);
    places[to].second = kDone;
  }
}

}  // namespace

std::optional<Report> summarise(Runs runs, const std::optional<std::string>& reference) {
  Report report{"", runs.skipped_lines, runs.left_out,      runs.left_out_runs, {},
                {}, runs.long_lines,    runs.repeated_lines};
  const std::vector<std::shared_ptr<const MachineFacts>> facts = runs.facts();
  const bool all_runs = runs.all_runs();
  Runs::Rows rows = std::move(runs).take_rows();
  // Each row is given back as its summary is made, so that the two never
  // both take the memory of a million rows.
  for (int first_seen = 0; !rows.empty(); ++first_seen, rows.pop_front()) {
    Row& row = rows.front();
    std::vector<Batch>& batches = row.figures.batches;
    std::vector<double> figures;
    Batches by_batch;
    by_batch.reserve(batches.size());
    std::vector<HistoryBatch> history;
    if (batches.size() > 1) {
      history.reserve(batches.size());
      for (const Batch& batch : batches) {
        history.push_back(HistoryBatch{std::isnan(batch.start) ? std::nullopt : std::optional<double>(batch.start),
                                       static_cast<int>(batch.figures.size()), median_of(batch.figures),
                                       batch.facts == 0 ? nullptr : facts[batch.facts - 1], history.size()});
      }
    }
    for (Batch& batch : batches) {
      figures.insert(figures.end(), batch.figures.begin(), batch.figures.end());
      by_batch.push_back(std::move(batch.figures));
    }
    std::sort(figures.begin(), figures.end());
    MachineSummary& m = report.machines.emplace_back();
    m.machine = std::move(row.key.machine);
    m.digits = row.key.digits;
    m.copies = row.key.copies;
    m.runs = static_cast<int>(figures.size());
    if (!figures.empty()) {
      m.median = median_of_sorted(figures);
      m.best = figures.back();
      m.worst = figures.front();
      m.spread = finite_ratio(figures.back() - figures.front(), m.median);
      m.centre = batch_centre(by_batch);
    } else {
      m.median = m.best = m.worst = m.spread = m.centre = 0;
      m.verdict = Verdict::kAllDisturbed;
    }
    m.precise = row.figures.precise;
    m.first_seen = first_seen;
    m.disturbed = row.figures.disturbed;
    m.left_out = all_runs ? 0 : m.disturbed;
    m.left_out_figures = std::move(row.figures.left_out);
    m.median_ci = median_interval(figures, m.precise ? Timing::kPrecise : Timing::kWholeSeconds);
    m.batches = std::move(by_batch);
    m.facts = std::move(row.figures.facts);
    if (!history.empty()) m.history = std::make_unique<const History>(make_history(std::move(history)));
    if (batches.size() == 1) m.first_start = batches.front().start;
  }
  fastest_first(report.machines);
  const std::string wanted = reference ? runtime::displayable(*reference) : "";
  const auto named = std::find_if(report.machines.begin(), report.machines.end(), [&](const MachineSummary& m) {
    return m.runs > 0 && (!reference || m.machine == wanted);
  });
  if (named == report.machines.end()) {
    if (reference) return std::nullopt;
    return report;
  }
  report.reference = named->machine;
  // The reference's row at each digit count and number of copies, since
  // only figures of the same kind compare, and each machine's at one copy
  // by digits.
  // The medians at one copy only where a row of several copies needs them.
  const bool copies =
      std::any_of(report.machines.begin(), report.machines.end(), [](const MachineSummary& m) { return m.copies > 1; });
  struct Base {
    const MachineSummary* row;
    double centre;
  };
  std::map<std::pair<int, int>, Base> bases;
  std::map<std::pair<std::string, int>, double> single;
  for (const MachineSummary& m : report.machines) {
    if (m.runs == 0) continue;
    if (m.machine == report.reference) bases.try_emplace({m.digits, m.copies}, Base{&m, m.centre});
    if (copies && m.copies == 1) single.try_emplace({m.machine, m.digits}, m.median);
  }
  // A group where the reference machine has no row has its fastest.
  for (const MachineSummary& m : report.machines) {
    if (m.runs == 0 || !bases.try_emplace({m.digits, m.copies}, Base{&m, m.centre}).second) continue;
    report.group_references.try_emplace({m.digits, m.copies}, m.machine);
  }
  for (MachineSummary& m : report.machines) {
    if (m.runs == 0) continue;
    if (m.copies > 1) {
      const auto one = single.find({m.machine, m.digits});
      if (one != single.end()) m.scaling = finite_ratio(m.median, one->second * m.copies);
    }
    const Base& base = bases.at({m.digits, m.copies});
    const MachineSummary& ref = *base.row;
    m.relative = finite_ratio(m.centre, base.centre);
    m.reference_batches = ref.current_batches();
    if (&m == &ref) {
      m.verdict = Verdict::kReference;
      continue;
    }
    // One batch cannot show how the host's pace drifts between batches,
    // and runs within a batch share it: no verdict rests on them alone.
    // Each side's current level is compared: the batches since its last change.
    const bool changed = m.current_batches() != static_cast<int>(m.batches.size()) ||
                         ref.current_batches() != static_cast<int>(ref.batches.size());
    const Batches row_level = changed ? m.current_level() : Batches(),
                  ref_level = changed ? ref.current_level() : Batches();
    const Batches& row_side = changed ? row_level : m.batches;
    const Batches& ref_side = changed ? ref_level : ref.batches;
    for (const std::optional<double>& since : {m.current_since(), ref.current_since()}) {
      if (since && !(*since <= m.since)) m.since = *since;
    }
    // Nor do batches whose medians are all equal.
    constexpr auto kLeast = static_cast<std::size_t>(kMinBatchesForVerdict);
    if (row_side.size() < kLeast || ref_side.size() < kLeast) continue;
    if (without_variation(row_side) || without_variation(ref_side)) {
      m.verdict = Verdict::kNoVariation;
      continue;
    }
    const auto timing = [](const MachineSummary& row) {
      return row.precise ? Timing::kPrecise : Timing::kWholeSeconds;
    };
    m.ratio = std::make_unique<const BatchRatio>(*batch_ratio(row_side, ref_side, timing(m), timing(ref)));
    if (m.ratio->interval.low > 1) {
      m.verdict = Verdict::kFaster;
    } else if (m.ratio->interval.high < 1) {
      m.verdict = Verdict::kSlower;
    } else if (const std::optional<Plan> plan =
                   plan_to_resolve(kResolvable, row_side, ref_side, timing(m), timing(ref))) {
      m.verdict = Verdict::kNoDifference;
      m.plan = std::make_unique<const Plan>(*plan);
    } else {
      m.verdict = Verdict::kTooCoarse;
    }
  }
  return report;
}

const std::string* reference_of(const Report& report, const MachineSummary& row) {
  if (!row.relative) return nullptr;
  const auto group = report.group_references.find({row.digits, row.copies});
  return group == report.group_references.end() ? &report.reference : &group->second;
}

}  // namespace report

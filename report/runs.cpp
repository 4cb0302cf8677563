#include "report/runs.hpp"

#include "runtime/text.hpp"

namespace report {

void Runs::add(const Run& run) {
  RowKey key{runtime::displayable(run.machine), run.digits, run.copies};
  auto row = rows_.find(key);
  if (row == rows_.end()) {
    row = rows_.emplace(key, Figures{}).first;
    row->second.first_seen = static_cast<std::int64_t>(rows_.size());
  }
  Figures& figures = row->second;
  figures.precise = figures.precise && run.precise;
  if (run.facts) figures.facts = std::make_shared<const MachineFacts>(*run.facts);
  // The batch is found before a disturbed run is left out, so that the
  // time between the runs around it stays what it was.
  std::int64_t group = 0;
  if (run.batch.empty() && !run.precise) group = run.source;
  if (run.batch.empty() && run.precise) {
    const double start = run.start.value_or(0);
    auto [last, fresh] = unnamed_.try_emplace(std::move(key), Unnamed{run.source, 0, 0});
    Unnamed& u = last->second;
    if (fresh || !run.start || u.source != run.source || !(start - u.end < kBatchGap && start - u.end > -kBatchGap)) {
      u.group = -++inferred_;
    }
    u.source = run.source;
    u.end = start + run.elapsed;
    group = u.group;
  }
  if (!run.disturbances.empty()) {
    ++figures.disturbed;
    if (!all_runs_) {
      ++left_out_runs;
      for (const std::string& kind : run.disturbances) ++left_out[kind];
      figures.left_out.push_back(run.figure);
      return;
    }
  }
  // Lines of a batch mostly follow each other: the last batch is tried first.
  auto batch = figures.batches.rbegin();
  while (batch != figures.batches.rend() && !(batch->group == group && batch->id == run.batch)) ++batch;
  if (batch == figures.batches.rend()) {
    figures.batches.push_back(Batch{run.batch, group, {}});
    figures.batches.back().figures.push_back(run.figure);
  } else {
    batch->figures.push_back(run.figure);
  }
}

}  // namespace report

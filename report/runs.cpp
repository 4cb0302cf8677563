#include "report/runs.hpp"

#include "runtime/text.hpp"

namespace report {

void Runs::add(const Run& run) {
  RowKey key{runtime::displayable(run.machine), run.digits, run.copies};
  const std::size_t hash = RowKeyHash()(key);
  auto entry = index_.find(Probe{key, hash, rows_});
  if (entry == index_.end()) {
    entry = index_.insert(Entry{hash, rows_.size()}).first;
    rows_.push_back(Row{std::move(key), Figures{}});
  }
  Row& row = rows_[entry->row];
  Figures& figures = row.figures;
  figures.precise = figures.precise && run.precise;
  if (run.facts) figures.facts = std::make_shared<const MachineFacts>(*run.facts);
  // The batch is found before a disturbed run is left out, so that the
  // time between the runs around it stays what it was.
  std::int64_t group = 0;
  if (run.batch.empty() && !run.precise) group = run.source;
  if (run.batch.empty() && run.precise) {
    const double start = run.start.value_or(0);
    auto [last, fresh] = unnamed_.try_emplace(row.key, Unnamed{run.source, 0, 0});
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
  std::uint32_t name = 0;
  if (!run.batch.empty()) {
    name = batch_names_.try_emplace(run.batch, static_cast<std::uint32_t>(batch_names_.size() + 1)).first->second;
  }
  // Lines of a batch mostly follow each other: the last batch is tried first.
  auto batch = figures.batches.rbegin();
  while (batch != figures.batches.rend() && !(batch->group == group && batch->name == name)) ++batch;
  if (batch == figures.batches.rend()) {
    figures.batches.push_back(Batch{name, group, {}});
    figures.batches.back().figures.push_back(run.figure);
  } else {
    batch->figures.push_back(run.figure);
  }
}

Runs::Rows Runs::take_rows() && {
  index_ = decltype(index_)();
  index_memory_.reset();
  unnamed_ = decltype(unnamed_)();
  batch_names_ = decltype(batch_names_)();
  return std::move(rows_);
}

}  // namespace report

#include "report/runs.hpp"

#include <cmath>
#include <limits>

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
  std::uint32_t facts = 0;
  if (run.facts) {
    const MachineFacts& f = *run.facts;
    std::string joined;
    for (const std::string* fact : {&f.cpu, &f.logical_cpus, &f.os, &f.kernel, &f.governor, &f.build, &f.version}) {
      joined += *fact;
      joined += '\0';
    }
    const auto [known, fresh] =
        facts_index_.try_emplace(std::move(joined), static_cast<std::uint32_t>(facts_.size() + 1));
    if (fresh) facts_.push_back(std::make_shared<const MachineFacts>(f));
    facts = known->second;
    figures.facts = facts_[facts - 1];
  }
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
  const double start = run.start.value_or(std::numeric_limits<double>::quiet_NaN());
  if (batch == figures.batches.rend()) {
    figures.batches.push_back(Batch{name, facts, group, {}, start});
    figures.batches.back().figures.push_back(run.figure);
  } else {
    batch->figures.push_back(run.figure);
    if (facts != 0) batch->facts = facts;
    if (!std::isnan(start) && !(batch->start <= start)) batch->start = start;
  }
}

Runs::Rows Runs::take_rows() && {
  index_ = decltype(index_)();
  index_memory_.reset();
  unnamed_ = decltype(unnamed_)();
  batch_names_ = decltype(batch_names_)();
  facts_index_ = decltype(facts_index_)();
  return std::move(rows_);
}

}  // namespace report

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
  const std::size_t row_index = entry->row;
  std::uint32_t name = 0;
  if (!run.batch.empty()) {
    name = batch_names_.try_emplace(run.batch, static_cast<std::uint32_t>(batch_names_.size() + 1)).first->second;
    if (run.place > 0 && !places_.insert(Place{row_index, name, run.place}).second) {
      ++repeated_lines;
      return;
    }
  } else if (run.precise && run.start && run.elapsed > 0 &&
             !stamps_.insert(Stamp{row_index, *run.start, run.elapsed, run.figure, run.local_start}).second) {
    ++repeated_lines;
    return;
  }
  Figures& figures = rows_[row_index].figures;
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
  if (run.batch.empty()) group = run.precise ? inferred_group(row_index, run) : run.source;
  if (!run.disturbances.empty()) {
    ++figures.disturbed;
    if (!all_runs_) {
      ++left_out_runs;
      for (const std::string& kind : run.disturbances) ++left_out[kind];
      figures.left_out.push_back(run.figure);
      return;
    }
  }
  Batch& batch = batch_of(row_index, group, name);
  batch.figures.push_back(run.figure);
  if (facts != 0) batch.facts = facts;
  if (run.start && !(batch.start <= *run.start)) batch.start = *run.start;
}

std::int64_t Runs::inferred_group(std::size_t row, const Run& run) {
  auto [last, fresh] = (run.start ? unnamed_ : undated_).try_emplace(row, Unnamed{run.source, 0, run.local_start, 0});
  Unnamed& u = last->second;
  bool next = fresh || u.source != run.source;
  if (run.start) {
    const double gap = *run.start - u.end;
    next = next || u.local != run.local_start || !(gap < kBatchGap && gap > -kBatchGap);
    u.end = *run.start + run.elapsed;
  }
  if (next) u.group = -++inferred_;
  u.source = run.source;
  u.local = run.local_start;
  return u.group;
}

Batch& Runs::batch_of(std::size_t row, std::int64_t group, std::uint32_t name) {
  std::vector<Batch>& batches = rows_[row].figures.batches;
  // Lines of a batch mostly follow each other: the last batch is tried first.
  if (!batches.empty() && batches.back().group == group && batches.back().name == name) return batches.back();
  if (batches.size() < kIndexedFrom) {
    for (Batch& batch : batches) {
      if (batch.group == group && batch.name == name) return batch;
    }
  } else if (const auto found = batch_index_.find(BatchKey{row, group, name}); found != batch_index_.end()) {
    return batches[found->second];
  }
  batches.push_back(Batch{name, 0, group, {}, std::numeric_limits<double>::quiet_NaN()});
  if (batches.size() == kIndexedFrom) {
    for (std::size_t b = 0; b < batches.size(); ++b) {
      batch_index_.emplace(BatchKey{row, batches[b].group, batches[b].name}, b);
    }
  } else if (batches.size() > kIndexedFrom) {
    batch_index_.emplace(BatchKey{row, group, name}, batches.size() - 1);
  }
  return batches.back();
}

Runs::Rows Runs::take_rows() && {
  index_ = decltype(index_)();
  index_memory_.reset();
  unnamed_ = decltype(unnamed_)();
  undated_ = decltype(undated_)();
  batch_index_ = decltype(batch_index_)();
  places_ = decltype(places_)();
  stamps_ = decltype(stamps_)();
  batch_names_ = decltype(batch_names_)();
  facts_index_ = decltype(facts_index_)();
  return std::move(rows_);
}

}  // namespace report

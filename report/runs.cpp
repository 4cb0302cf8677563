#include "report/runs.hpp"

#include "runtime/text.hpp"

namespace report {

void Runs::add(const Run& run) {
  RowKey key{runtime::displayable(run.machine), run.digits, run.copies};
  auto row = rows_.find(key);
  if (row == rows_.end()) {
    row = rows_.emplace(std::move(key), Figures{}).first;
    row->second.first_seen = static_cast<std::int64_t>(rows_.size());
  }
  row->second.precise = row->second.precise && run.precise;
  if (run.facts) row->second.facts = run.facts;
  if (!run.disturbances.empty()) {
    ++row->second.disturbed;
    if (!all_runs_) {
      ++left_out_runs;
      for (const std::string& kind : run.disturbances) ++left_out[kind];
      return;
    }
  }
  row->second.figures.push_back(run.figure);
}

}  // namespace report

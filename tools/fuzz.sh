#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given seconds
# (default 20) from its seed corpus, the targets side by side (each on a
# processor of its own); new inputs go to a scratch directory.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
cd "$top"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
declare -A corpus=([answer_reader_fuzz]=tests/fuzz/answers [record_reader_fuzz]=tests/fuzz/records)
names=(answer_reader_fuzz record_reader_fuzz)
pids=()
for name in "${names[@]}"; do
  mkdir "$scratch/$name"
  (cd "$scratch/$name" && "$top/build-fuzz/tests/fuzz/$name" -max_total_time="$seconds" -max_len=256 \
     -print_final_stats=1 . "$top/${corpus[$name]}" >log 2>&1) &
  pids+=($!)
done
status=0
for i in "${!names[@]}"; do
  name=${names[$i]}
  failed=0
  wait "${pids[$i]}" || failed=1
  echo "=== $name, $seconds s"
  log=$scratch/$name/log
  grep -E "^(cov:|stat::number_of_executed_units|stat::peak_rss|==|SUMMARY|Done|ours)" "$log" || true
  grep -E "^#[0-9]+ +DONE" "$log" || true
  ((failed == 0)) || { echo "$name failed"; status=1; }
done
exit "$status"

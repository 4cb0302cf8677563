#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given seconds
# (default 20) from its seed corpus; new inputs go to a scratch directory.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
cd "$top"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
for target in answer_reader records:record_reader; do
  case $target in
    answer_reader) corpus=tests/fuzz/answers; name=answer_reader_fuzz ;;
    records:record_reader) corpus=tests/fuzz/records; name=record_reader_fuzz ;;
  esac
  scratch=$(mktemp -d)
  echo "=== $name, $seconds s"
  status=0
  (cd "$scratch" && "$top/build-fuzz/tests/fuzz/$name" -max_total_time="$seconds" -max_len=256 \
     -print_final_stats=1 "$scratch" "$top/$corpus" >log 2>&1) || status=$?
  grep -E "^(cov:|stat::number_of_executed_units|stat::peak_rss|==|SUMMARY|Done|ours)" "$scratch/log" || true
  grep -E "^#[0-9]+ +DONE" "$scratch/log" || true
  rm -rf "$scratch"
  [ "$status" -eq 0 ] || { echo "$name failed"; exit 1; }
done

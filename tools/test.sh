#!/usr/bin/env bash
# Builds and runs every test: the release build, then the sanitizer build.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/deps.sh
for preset in release asan-ubsan; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done
echo "=== fuzz"
bash tools/fuzz.sh 20

#!/usr/bin/env bash
# Builds the release program and starts the benchmark in the current directory.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/tools/deps.sh"
cmake --preset release -S "$top" >/dev/null
cmake --build "$top/build" --target pibench
exec "$top/build/pibench"

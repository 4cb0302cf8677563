#!/usr/bin/env bash
# Builds the program alone (a compiler, CMake, Ninja and the nlohmann-json
# headers are all it needs)
# and starts the benchmark in the current directory.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/tools/deps.sh" program
(cd "$top" && cmake --preset program >/dev/null && cmake --build --preset program >/dev/null)
exec "$top/build-program/pibench" "$@"

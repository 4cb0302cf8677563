#!/usr/bin/env bash
# Builds the program alone (a compiler, CMake, Ninja and the nlohmann-json
# headers are all it needs)
# and starts the benchmark in the current directory. Where there is no
# record file yet, it makes one that names this machine (its host name and
# processor, cut to 50 characters), so that the first figure is recorded
# under a name, and says so.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/tools/deps.sh" program
(cd "$top" && cmake --preset program >/dev/null && cmake --build --preset program >/dev/null)
if [ ! -e Tarnoval.Dat ] && [ ! -L Tarnoval.Dat ]; then
  cpu=$(sed -n 's/^\(model name\|Model\|uarch\|isa\)[[:space:]]*:[[:space:]]*//p' /proc/cpuinfo 2>/dev/null | head -1)
  name="$(hostname 2>/dev/null || uname -n), ${cpu:-$(uname -m)}"
  name=$(printf '%s' "$name" | LC_ALL=C tr -s '[:space:]' ' ' | LC_ALL=C tr -cd '[:print:]' | cut -c1-50)
  printf '%s\n' "$name" >Tarnoval.Dat
  echo "tools/run.sh: made Tarnoval.Dat for this machine: $name (edit its last line to rename it)"
fi
exec "$top/build-program/pibench" "$@"

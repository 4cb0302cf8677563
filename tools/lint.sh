#!/usr/bin/env bash
# The code as .clang-format lays it out, and clang-tidy clean with the
# project's .clang-tidy on mp/, runtime/, driver/ and report/: the POSIX sources
# with the x86-64 build's commands, the Windows layer with the Windows
# build's (as MinGW-w64 sees its headers).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
git ls-files '*.cpp' '*.hpp' '*.c' '*.h' | xargs clang-format --dry-run -Werror
sources=$(ls mp/*.cpp runtime/*.cpp driver/*.cpp report/*.cpp | grep -v os_windows)
tidy() { clang-tidy --quiet "$@" >"$log" 2>&1 || { grep -v 'warnings generated' "$log"; return 1; }; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# shellcheck disable=SC2086
tidy -p build $sources
# clang finds MinGW-w64's C headers itself, and its C++ headers when told.
cxx=$(echo | x86_64-w64-mingw32-g++-posix -x c++ -E -v - 2>&1 | sed -n 's|^ \(/.*/include/c++\)$|\1|p')
windows=(-p build-windows --extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-nostdinc++
         "--extra-arg=-isystem$cxx" "--extra-arg=-isystem$cxx/x86_64-w64-mingw32")
tidy "${windows[@]}" runtime/os_windows.cpp
echo "clang-format and clang-tidy: clean"

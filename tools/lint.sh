#!/usr/bin/env bash
# The code as .clang-format lays it out, and clang-tidy clean with the
# project's .clang-tidy on mp/, runtime/, driver/ and report/: the POSIX sources
# with the x86-64 build's commands, the Windows layer with the Windows
# build's (as MinGW-w64 sees its headers); ansible-lint on the fleet playbook.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
git ls-files '*.cpp' '*.hpp' '*.c' '*.h' | xargs clang-format --dry-run -Werror
sources=$(ls mp/*.cpp runtime/*.cpp driver/*.cpp report/*.cpp | grep -v os_windows)
# Configured here when the stages that build them did not run.
for preset in release windows; do
  dir=build-$preset
  [ "$preset" = release ] && dir=build
  [ -f "$dir/compile_commands.json" ] || cmake --preset "$preset" >/dev/null
done
# One clang-tidy a file, as many at once as there are processors, each
# file's findings printed whole.
tidy() {
  local out
  out=$(clang-tidy --quiet "$@" 2>&1) || { grep -v 'warnings generated' <<<"$out"; return 1; }
}
export -f tidy
# clang finds MinGW-w64's C headers itself, and its C++ headers when told.
cxx=$(echo | x86_64-w64-mingw32-g++-posix -x c++ -E -v - 2>&1 | sed -n 's|^ \(/.*/include/c++\)$|\1|p')
tidy -p build-windows --extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-nostdinc++ \
  "--extra-arg=-isystem$cxx" "--extra-arg=-isystem$cxx/x86_64-w64-mingw32" runtime/os_windows.cpp &
windows=$!
status=0
# shellcheck disable=SC2086
printf '%s\0' $sources | xargs -0 -P "$(nproc)" -I{} bash -c 'tidy -p build "$1"' tidy {} || status=1
wait "$windows" || status=1
ansible-lint --offline --nocolor -q deploy/ansible || status=1
((status == 0)) || exit 1
echo "clang-format, clang-tidy and ansible-lint: clean"

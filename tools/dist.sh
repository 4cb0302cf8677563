#!/usr/bin/env bash
# Makes every release artefact into dist/: a Debian package for each Linux
# target (amd64, arm64, armhf, i386, riscv64), the Windows ZIP, and
# SHA256SUMS. Each is built from its preset with the program alone; the
# riscv64 program is linked statically (Debian 12 has no riscv64 libraries
# for its Depends).
#   tools/dist.sh                 builds each program for the packages alone
#   tools/dist.sh --from-builds   packs the programs of each preset's own build
#                                 (the test stages'), building what is missing
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
from_builds=false
[ "${1:-}" = --from-builds ] && from_builds=true
bash tools/deps.sh tests  # the cross compilers and the targets' libraries
rm -rf dist
mkdir dist
for preset in release aarch64 armhf i686 riscv64 windows; do
  echo "=== $preset"
  if $from_builds; then
    build=build-$preset  # each preset's binaryDir
    [ "$preset" = release ] && build=build
    [ -f "$build/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
    cmake --build "$build" --target pibench $([ "$preset" = riscv64 ] && echo pibench_static)
  else
    build="build-dist/$preset"
    options=(-DBUILD_TESTING=OFF -DPIBENCH_BENCH=OFF)
    cmake --preset "$preset" -B "$build" --no-warn-unused-cli "${options[@]}" >/dev/null
    cmake --build "$build"
  fi
  rm -rf "$build/package"
  (cd "$build" && cpack -B "$top/$build/package" >/dev/null)
  cp "$build"/package/*.deb "$build"/package/*.zip dist/ 2>/dev/null || true
done
(cd dist && sha256sum -- *.deb *.zip >SHA256SUMS)
ls -l dist

#!/usr/bin/env bash
# Makes every release artefact into dist/: a Debian package for each Linux
# target (amd64, arm64, armhf, i386, riscv64), the Windows ZIP, and
# SHA256SUMS. Each is built from its preset with the program alone; the
# riscv64 program is linked statically (Debian 12 has no riscv64 libraries
# for its Depends).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/deps.sh tests  # the cross compilers and the targets' libraries
rm -rf dist
mkdir dist
for preset in release aarch64 armhf i686 riscv64 windows; do
  build="build-dist/$preset"
  options=(-DBUILD_TESTING=OFF -DPIBENCH_BENCH=OFF)
  [ "$preset" = riscv64 ] && options+=(-DPIBENCH_STATIC=ON)
  echo "=== $preset"
  cmake --preset "$preset" -B "$build" --no-warn-unused-cli "${options[@]}" >/dev/null
  cmake --build "$build"
  (cd "$build" && cpack -B "$top/$build/package" >/dev/null)
  cp "$build"/package/*.deb "$build"/package/*.zip dist/ 2>/dev/null || true
done
(cd dist && sha256sum -- *.deb *.zip >SHA256SUMS)
ls -l dist

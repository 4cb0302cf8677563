#!/usr/bin/env bash
# Tries every release artefact in dist/ (tools/dist.sh makes them): each
# Debian package is held to lintian, unpacked into a scratch root, its
# --version must name its target, and the end-to-end tests of a run's bytes
# run on the unpacked program, under its emulator where the host cannot
# run it; the Windows ZIP the same under wine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tests="$top/build/tests/pibench_tests"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$top/dist"
sha256sum --quiet -c SHA256SUMS

# try PROGRAM TARGET FILTER EMULATOR...: --version, then the tests.
try() {
  local program=$1 target=$2 filter=$3
  shift 3
  "$@" "$program" --version | grep -qx "target: $target" || { echo "$program: not built for $target"; return 1; }
  PIBENCH_PROGRAM="$program" PIBENCH_EMULATOR="$*" "$tests" --gtest_brief=1 --gtest_filter="$filter" | tail -1
}
bytes='Pibench.RunOnTheRealClock:Pibench.CommandLine'
# check_deb DEB: lintian, the files, --version and the tests.
check_deb() {
  local deb=$1 arch root program warnings
  arch=$(dpkg-deb -f "$deb" Architecture)
  echo "$deb: Depends: $(dpkg-deb -f "$deb" Depends)"
  lintian --allow-root --fail-on error,warning "$deb" || return 1
  root="$scratch/$arch"
  dpkg -x "$deb" "$root"
  for f in usr/bin/pibench usr/share/man/man1/pibench.1.gz usr/share/doc/pibench/copyright \
           usr/share/doc/pibench/changelog.gz; do
    [ -f "$root/$f" ] || { echo "$deb: not installed: $f"; return 1; }
  done
  program="$root/usr/bin/pibench"
  case $arch in
    amd64)
      warnings=$(man --warnings -l "$root/usr/share/man/man1/pibench.1.gz" 2>&1 >/dev/null)
      [ -z "$warnings" ] || { echo "man page warnings: $warnings"; return 1; }
      try "$program" "x86_64 Linux" "$bytes:Pibench.TypicalRunOf1000Digits:Pibench.SmallestRunsAndAFigureInExponentForm" ;;
    arm64) try "$program" "aarch64 Linux" "$bytes" qemu-aarch64 ;;
    armhf) try "$program" "armv7l Linux" "$bytes" qemu-arm ;;
    riscv64) try "$program" "riscv64 Linux" "$bytes" qemu-riscv64 ;;
    i386)
      if "$program" --version >/dev/null 2>&1; then
        try "$program" "i686 Linux" "$bytes"
      else
        try "$program" "i686 Linux" "$bytes" qemu-i386
      fi ;;
    *) echo "$deb: no try for $arch"; return 1 ;;
  esac
}
# check_zip ZIP: the same under wine.
check_zip() {
  local zip=$1 wine
  echo "$zip"
  mkdir "$scratch/win64"
  cmake -E chdir "$scratch/win64" cmake -E tar xf "$top/dist/$zip"
  wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
  WINEPREFIX="$top/build-windows/wine" WINEDEBUG=-all try "$(ls "$scratch"/win64/pibench-*-win64/bin/pibench.exe)" \
    "AMD64 Windows" "$bytes" "$wine"
}
# Every artefact is tried at once with as many others as there are
# processors; each one's lines are printed whole, in the order of dist/.
check() {
  set -o pipefail
  case $1 in
    *.deb) check_deb "$1" ;;
    *.zip) check_zip "$1" ;;
  esac >"$scratch/$1.log" 2>&1 || touch "$scratch/$1.failed"
}
export top tests scratch bytes
export -f try check_deb check_zip check
artefacts=(*.deb pibench-*-win64.zip)
printf '%s\0' "${artefacts[@]}" | xargs -0 -P "$(nproc)" -I{} bash -c 'check "$1"' check {}
status=0
for a in "${artefacts[@]}"; do
  cat "$scratch/$a.log"
  [ ! -e "$scratch/$a.failed" ] || { echo "$a: failed"; status=1; }
done
((status == 0)) || exit 1
echo "every package: as expected"

#!/usr/bin/env bash
# Builds the Debian package from the release build, holds it to lintian,
# unpacks it into a scratch root, checks the installed man page and
# --version, and runs the end-to-end tests of a run's bytes on the
# installed program.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$build" && cpack -G DEB -B "$scratch/package" >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; exit 1; }
deb=$(ls "$scratch"/package/*.deb)
echo "$(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"
dpkg -x "$deb" "$scratch/root"
program="$scratch/root/usr/bin/pibench"
lintian --allow-root --fail-on error,warning "$deb"
for f in usr/share/man/man1/pibench.1.gz usr/share/doc/pibench/copyright usr/share/doc/pibench/changelog.gz; do
  [ -f "$scratch/root/$f" ] || { echo "not installed: $f"; exit 1; }
done
warnings=$(man --warnings -l "$scratch/root/usr/share/man/man1/pibench.1.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "man page warnings: $warnings"; exit 1; }
"$program" --version

# The installed program held to the end-to-end tests' expected bytes.
PIBENCH_PROGRAM="$program" "$build/tests/pibench_tests" --gtest_brief=1 \
  --gtest_filter='Pibench.TypicalRunOf1000Digits:Pibench.SmallestRunsAndAFigureInExponentForm:Pibench.CommandLine'
echo "installed program: every byte as expected"

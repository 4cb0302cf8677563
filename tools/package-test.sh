#!/usr/bin/env bash
# Builds the Debian package from the release build, unpacks it into a
# scratch root, and runs the installed program on 8 digits in a scratch
# directory on a fake clock, comparing every byte it writes; checks the
# installed man page and --version.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
faketime=$(sed -n 's/^FAKETIME_LIBRARY:FILEPATH=//p' "$build/CMakeCache.txt")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$build" && cpack -G DEB -B "$scratch/package" >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; exit 1; }
deb=$(ls "$scratch"/package/*.deb)
echo "$(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"
dpkg -x "$deb" "$scratch/root"
program="$scratch/root/usr/bin/pibench"
for f in usr/share/man/man1/pibench.1 usr/share/doc/pibench/README.md usr/share/doc/pibench/CHANGELOG.md; do
  [ -f "$scratch/root/$f" ] || { echo "not installed: $f"; exit 1; }
done
warnings=$(man --warnings -l "$scratch/root/usr/share/man/man1/pibench.1" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "man page warnings: $warnings"; exit 1; }
"$program" --version

mkdir "$scratch/run" "$scratch/expected"
cd "$scratch/run"
echo MYBOX >Tarnoval.Dat
printf '8\n' | LD_PRELOAD="$faketime" FAKETIME='@2026-12-08 12:00:00 i2' FAKETIME_DONT_RESET=1 TZ=UTC \
  "$program" >"$scratch/console" 2>"$scratch/errors"
cat >"$scratch/expected/console" <<'TEXT'
 This is a computing power benchmark based on PI number calculation.
 This program updates Tarnoval.Dat file:  50 characters of a compurer
 identifier, e.g., [DEC 3000-600s AXP alpha station], are appended with
 the benchmark value.  The last line of the file is thought to contain
 YOUR COMPUTER NAME, which will be appended with its behchmark parameter
 if the calculation duration is more than 1 second (the timing precision).
 The last Tarnoval.Dat line is copied before updating.
 Hit Ctrl-Z to quit.
 Enter number of digits for pi [4;64000] 
 8 has been entered.
 8 has been accepted.
 Speed test data: dimension is     3
 Start time 12:00:00
 Calculating arctg(1/5).
 Expansion length is considered: 9

 Calculating arctg(1/239).
 Expansion length is considered: 3

 Calculating arctg(1/5)*4.
 Calculating arctg(1/5)*4-arctg(1/239).
 Calculating pi=(arctg(1/5)*4-arctg(1/239))*4.
 End time   12:00:06
 Duration is  2. sec
 MYBOX                                               0.0192000009
TEXT
cat >"$scratch/expected/PI.OUT" <<'TEXT'
 ArcTangent( 1 / 5 ) = 0.19739555
 ArcTangent( 1/239 ) = 0.00418407
 Pi = 3.14159265
TEXT
cat >"$scratch/expected/PI.Tst" <<'TEXT'
 Speed test data: dimension is     3
 Start time 12:00:00
 End time   12:00:06
 Duration is  2. sec
TEXT
printf 'MYBOX\nMYBOX%49s.1920000E-01\n' '' >"$scratch/expected/Tarnoval.Dat"
: >"$scratch/expected/errors"
cp "$scratch/console" "$scratch/errors" .
for f in console errors PI.OUT PI.Tst Tarnoval.Dat; do
  cmp "$scratch/expected/$f" "$f" || { echo "the installed program wrote other bytes to $f"; exit 1; }
done
echo "installed program: every byte as expected"

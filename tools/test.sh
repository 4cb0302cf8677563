#!/usr/bin/env bash
# Builds and runs every test, installing the Debian packages it needs when
# they are missing: x86-64 in release and sanitizer builds, aarch64, armhf
# and riscv64 under qemu-user, i686 (natively or under qemu-i386, as the
# host allows), Windows x64 under wine64, then every release artefact made
# and tried (tools/dist.sh, tools/package-test.sh), the fleet playbook
# against real Ansible, a short run of each fuzz target, and clang-format,
# clang-tidy and ansible-lint. Ends with each stage's time and
# one line: how many stages passed and failed.
#   tools/test.sh [STAGE...]   only these stages (x86-64, x86-64-sanitizers,
#                              aarch64, armhf, riscv64, i686, windows,
#                              package, ansible, lint, fuzz); all without one
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/deps.sh tests || { echo "stages: 0 passed, 1 failed (installing the packages)"; exit 1; }

stages=(x86-64 x86-64-sanitizers aarch64 armhf riscv64 i686 windows package ansible lint fuzz)
wanted=("$@")
for w in "${wanted[@]}"; do
  [[ " ${stages[*]} " == *" $w "* ]] || { echo "tools/test.sh: no stage '$w' (${stages[*]})"; exit 2; }
done
passed=()
failed=()
stage() {
  local name=$1 start=$SECONDS
  shift
  ((${#wanted[@]} == 0)) || [[ " ${wanted[*]} " == *" $name "* ]] || return 0
  echo "=== $name"
  if "$@"; then
    passed+=("$name $((SECONDS - start)) s")
  else
    failed+=("$name $((SECONDS - start)) s")
  fi
}
# preset NAME [CMAKE OPTION...]
# ctest_args: more for ctest.
preset() {
  cmake --preset "$1" "${@:2}" >/dev/null && cmake --build --preset "$1" && ctest --preset "$1" -j2 ${ctest_args:-}
}

# The other targets' end-to-end tests, and the packages' tries, run with
# the x86-64 build's test binary: built here when that stage did not run.
host_tests() {
  [ -x build/tests/pibench_tests ] ||
    { cmake --preset release >/dev/null && cmake --build --preset release --target pibench_tests; }
}
cross() { host_tests && preset "$@"; }

stage x86-64 preset release
stage x86-64-sanitizers preset asan-ubsan
stage aarch64 cross aarch64
stage armhf cross armhf
stage riscv64 cross riscv64
# PIBENCH_FORCE_EMULATOR=ON runs the i686 programs under qemu-i386 here too.
stage i686 cross i686 -DPIBENCH_FORCE_EMULATOR="${PIBENCH_FORCE_EMULATOR:-OFF}"
# wine's server now and then drops a client that starts as another ends
# ("wine client error:0: recvmsg: Connection reset by peer"). A Windows test
# that failed with wine's own message is run again, up to twice, and only
# such a one: any other failure, an intermittent one of pibench's own among
# them, fails the stage.
# retry_wine_faults PRESET: its tests, those that failed with wine's message
# run again.
retry_wine_faults() {
  local temporary=build-$1/Testing/Temporary run=(ctest --preset "$1" -j2) again name retry
  for again in 0 1 2; do
    rm -f "$temporary/LastTestsFailed.log"
    "${run[@]}" && return 0
    ((again < 2)) && [ -f "$temporary/LastTestsFailed.log" ] || return 1
    retry=()
    while IFS=: read -r _ name; do
      # The test's output in the log, from its header to its end.
      awk -v name="$name" 'on && /^<end of output>$/ { exit } on
        /^[0-9]+\/[0-9]+ Test: / && substr($0, index($0, "Test: ") + 6) == name { on = 1 }' \
        "$temporary/LastTest.log" | grep -Eq 'wine client error|recvmsg: Connection reset by peer' ||
        { echo "tools/test.sh: $name failed without wine's message"; return 1; }
      retry+=("$(sed 's/[][\.*^$+?(){}|]/\\&/g' <<<"$name")")
    done <"$temporary/LastTestsFailed.log"
    echo "tools/test.sh: wine failed ${#retry[@]} tests: run again"
    run=(ctest --preset "$1" -j2 -R "^($(IFS='|'; echo "${retry[*]}"))\$")
  done
}
windows() {
  host_tests && cmake --preset windows >/dev/null && cmake --build --preset windows && retry_wine_faults windows
}
stage windows windows
# The packages are made from the programs the stages above built and
# tested (each preset's build, built here when its stage did not run).
stage package bash -c 'bash tools/dist.sh --from-builds && bash tools/package-test.sh'
stage ansible bash -c '{ [ -f build/CMakeCache.txt ] || cmake --preset release >/dev/null; } &&
  bash tests/deploy/measure_test.sh build'
stage lint bash tools/lint.sh
stage fuzz bash tools/fuzz.sh 25

echo "passed: ${passed[*]/%/;}"
((${#failed[@]})) && echo "failed: ${failed[*]/%/;}"
echo "stages: ${#passed[@]} passed, ${#failed[@]} failed"
((${#failed[@]} == 0))

#!/usr/bin/env bash
# The fleet playbook against real Ansible: three hosts on this machine, one
# over the local connection and two over SSH on the loopback (an sshd of
# the test's own on a free port), each in a directory of its own; one of
# them cannot make its work directory, a fourth cannot be reached, and a
# fifth's inventory name is too long for a file on the controller. Then a
# second run, all at once, where that host's architecture has no package,
# another host's program computes a wrong digit, the controller's disk is
# full for a third, and a sixth is sub/host with a name cut inside a
# character; then check mode, a bad value for each of the role's
# variables, and remove.yml.
#   tests/deploy/measure_test.sh BUILD   (BUILD: the x86-64 build)
set -euo pipefail
# It installs a package and starts an sshd of its own.
[ "$(id -u)" -eq 0 ] || { echo "FAILED: the fleet test runs as root"; exit 1; }
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
tmp=$(mktemp -d)
installed_here=false
cleanup() {
  [ -f "$tmp/sshd.pid" ] && kill "$(cat "$tmp/sshd.pid")" 2>/dev/null
  $installed_here && dpkg-query -W pibench >/dev/null 2>&1 && dpkg -r pibench >/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAILED: $*"; exit 1; }

# The amd64 package of the x86-64 build, as tools/dist.sh makes it.
cmake --build "$build" --target pibench >/dev/null
(cd "$build" && cpack -G DEB -B "$tmp/package" >/dev/null)
mkdir "$tmp/dist" "$tmp/empty"
cp "$tmp"/package/*.deb "$tmp/dist/"
# A pibench this machine already has stays as it is: then nothing is installed.
install=true
if dpkg-query -W -f='${Status}' pibench 2>/dev/null | grep -q 'install ok installed'; then
  install=false
else
  installed_here=true
fi

# A program that computes a wrong digit, and the controller's pibench,
# which notes that it wrote the report.
printf '#!/bin/sh\nPIBENCH_FAULT_GROUP=7 exec %s "$@"\n' "$build/tests/pibench_with_fault" >"$tmp/faulty"
printf '#!/bin/sh\ntouch %s\nexec %s "$@"\n' "$tmp/reported" "$build/pibench" >"$tmp/report"
chmod +x "$tmp/faulty" "$tmp/report"

ssh-keygen -q -t ed25519 -N '' -f "$tmp/key"
ssh-keygen -q -t ed25519 -N '' -f "$tmp/host_key"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$tmp/sshd_config" <<CONFIG
Port $port
ListenAddress 127.0.0.1
HostKey $tmp/host_key
PidFile $tmp/sshd.pid
AuthorizedKeysFile $tmp/key.pub
PasswordAuthentication no
PermitRootLogin prohibit-password
StrictModes no
UsePAM no
CONFIG
mkdir -p /run/sshd
/usr/sbin/sshd -f "$tmp/sshd_config" -E "$tmp/sshd.log"

cat >"$tmp/ansible.cfg" <<CONFIG
[defaults]
interpreter_python = /usr/bin/python3
host_key_checking = False
[ssh_connection]
pipelining = True
ssh_args = -o ControlMaster=auto -o ControlPersist=60s -o UserKnownHostsFile=/dev/null
CONFIG
export ANSIBLE_CONFIG="$tmp/ansible.cfg" ANSIBLE_NOCOLOR=1
# The local hosts' home, where a work directory of ~/pibench goes.
mkdir "$tmp/home"
export HOME="$tmp/home"
inventory() {  # inventory GAMMA_VARS [HOST...]
  cat <<INVENTORY
[fleet]
$(printf '%s\n' "${@:2}")
alpha ansible_connection=local pibench_copies=true
beta ansible_host=127.0.0.1 pibench_batches=2 pibench_pause=0
gamma ansible_host=127.0.0.1 $1
[fleet:vars]
ansible_port=$port
ansible_user=$(id -un)
ansible_ssh_private_key_file=$tmp/key
pibench_dir=$tmp/hosts/{{ inventory_hostname }}
pibench_install=$install
pibench_command=$build/pibench
pibench_dist=$tmp/dist
pibench_digits=2000
pibench_runs=3
pibench_warmup=0
pibench_copies=false
pibench_batches=1
[all:vars]
pibench_results=$tmp/results
pibench_report_command=$tmp/report
INVENTORY
}
play() {  # play INVENTORY PLAYBOOK [OPTION...]: its exit status
  local status=0
  ansible-playbook -i "$1" "$top/deploy/ansible/$2" "${@:3}" >"$tmp/play.out" 2>&1 || status=$?
  echo "$status"
}
lines() { [ -f "$1" ] && wc -l <"$1" || echo 0; }
batches() { grep -o '"batch":"[^"]*"' "$tmp/results/$1.jsonl" | sort -u | wc -l; }
expect_lines() {  # expect_lines HOST COUNT
  local n
  n=$(lines "$tmp/results/$1.jsonl")
  [ "$n" -eq "$2" ] || { cat "$tmp/play.out"; fail "results/$1.jsonl has $n lines, not $2"; }
}

echo "first run: one host at a time; gamma cannot make its work directory, delta cannot be reached, a long name's log cannot be kept"
closed=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
long=$(printf 'L%.0s' {1..300})
name48=$(printf 'A%.0s' {1..48})
# The hosts after the long name's are measured.
inventory "pibench_dir=/dev/null/pibench" "delta ansible_host=127.0.0.1 ansible_port=$closed" \
  "$long ansible_connection=local pibench_dir=$tmp/hosts/long" >"$tmp/hosts1"
status=$(play "$tmp/hosts1" measure.yml)
[ "$status" -ne 0 ] || { cat "$tmp/play.out"; fail "the play ended 0 with a host failed"; }
expect_lines alpha 6  # a batch of one copy, and a batch of copies
expect_lines beta 6
[ "$(batches beta)" -eq 2 ] || fail "beta.jsonl holds $(batches beta) batches, not pibench_batches' 2"
[ ! -e "$tmp/results/gamma.jsonl" ] || fail "gamma, which failed before measuring, has a log"
[ "$(wc -l <"$tmp/results/failed.txt")" -eq 3 ] || fail "failed.txt: $(cat "$tmp/results/failed.txt")"
grep -q '^gamma: Make the work directory: .*/dev/null/pibench' "$tmp/results/failed.txt" &&
  grep -q "^delta: unreachable: .*port $closed: Connection refused" "$tmp/results/failed.txt" &&
  grep -q "^$long: Fetch this play's log: .*" "$tmp/results/failed.txt" ||
  fail "failed.txt: $(cat "$tmp/results/failed.txt")"
[ -z "$(ls -A "$tmp/results/incoming")" ] || fail "a fetched log is left: $(ls "$tmp/results/incoming")"
# Each log line names its host as the record file does.
for host in alpha beta; do
  grep -vq "\"identifier\":\"$host\"" "$tmp/results/$host.jsonl" && fail "$host.jsonl: a line names another host"
  grep -q "^$host " "$tmp/results/report.txt" || { cat "$tmp/results/report.txt"; fail "report.txt has no row for $host"; }
done
[ -f "$tmp/reported" ] || fail "the report was not written by pibench_report_command"
python3 -c 'import json, sys; r = json.load(open(sys.argv[1])); assert {m["machine"] for m in r["machines"]} >= {"alpha", "beta"}, r' \
  "$tmp/results/report.json" || fail "report.json"
grep -q '>beta<' "$tmp/results/report.html" || fail "report.html has no row for beta"

echo "second run: all at once; gamma's architecture has no package, epsilon computes a wrong digit, beta's log meets a full disk"
inventory "pibench_dist=$tmp/empty pibench_install=true" \
  "epsilon ansible_connection=local pibench_install=false pibench_command=$tmp/faulty" \
  "sub/host ansible_connection=local pibench_dir=~/pibench pibench_name=${name48}名前" >"$tmp/hosts2"
ln -s /dev/full "$tmp/results/beta.jsonl.new"
status=$(play "$tmp/hosts2" measure.yml -e pibench_parallel=true)
[ "$status" -ne 0 ] || { cat "$tmp/play.out"; fail "the play ended 0 with a host failed"; }
expect_lines alpha 12
expect_lines beta 6  # as it was
grep -qx "gamma: Stop where there is none: no pibench package for x86_64 in $tmp/empty" "$tmp/results/failed.txt" &&
  grep -qx "epsilon: Run batches of one copy: STOP 904 statement executed" "$tmp/results/failed.txt" &&
  grep -q "^beta: Append it to the host's log on the controller: .*No space left on device" "$tmp/results/failed.txt" ||
  fail "failed.txt: $(cat "$tmp/results/failed.txt")"
[ "$(wc -l <"$tmp/results/failed.txt")" -eq 3 ] || fail "failed.txt: $(cat "$tmp/results/failed.txt")"
[ -z "$(ls -A "$tmp/results/incoming")" ] || fail "a fetched log is left: $(ls "$tmp/results/incoming")"
# The run that stopped is logged, and fetched.
expect_lines epsilon 1
grep -q '"stop":904' "$tmp/results/epsilon.jsonl" || fail "epsilon.jsonl: $(cat "$tmp/results/epsilon.jsonl")"
[ "$(batches alpha)" -eq 4 ] || fail "alpha.jsonl holds $(batches alpha) batches, not both runs' 2"
expect_lines sub%2Fhost 3
# The name is cut to 50 bytes before its first character that would not fit.
[ "$(cat "$HOME/pibench/Tarnoval.Dat")" = "$name48" ] || fail "the record file names $(cat "$HOME/pibench/Tarnoval.Dat")"
python3 -c 'import json, sys; r = json.load(open(sys.argv[1])); assert sys.argv[2] in {m["machine"] for m in r["machines"]}, r' \
  "$tmp/results/report.json" "$name48" || fail "report.json has no row for $name48"

echo "check mode: nothing measured, nothing written"
status=$(play "$tmp/hosts2" measure.yml --check -e "pibench_results=$tmp/checked pibench_dir=$tmp/checked-host" \
  -e "pibench_install=false pibench_command=$tmp/missing")
[ "$status" -eq 0 ] || { cat "$tmp/play.out"; fail "check mode ended $status"; }
grep -q 'check mode: nothing was measured, and no results were written' "$tmp/play.out" || { cat "$tmp/play.out"; fail "check mode says nothing"; }
[ ! -e "$tmp/checked" ] && [ ! -e "$tmp/checked-host" ] || fail "check mode wrote results or made a work directory"

echo "a bad value for each variable: the play stops before any host is touched"
cat >"$tmp/hosts3" <<INVENTORY
all:
  vars: {ansible_connection: local, pibench_results: $tmp/bad, pibench_dir: $tmp/bad-host}
  hosts:
    good: {}
    digits: {pibench_digits: 70000}
    digits_text: {pibench_digits: many}
    runs: {pibench_runs: -1}
    warmup: {pibench_warmup: 101}
    batches: {pibench_batches: 0}
    pause: {pibench_pause: 86401}
    install: {pibench_install: maybe}
    copies: {pibench_copies: several}
    parallel: {pibench_parallel: "at times"}
    name: {pibench_name: "two\\nlines"}
    name_text: {pibench_name: "next\\u0085line"}
    dir: {pibench_dir: " "}
    dist: {pibench_dist: ""}
    command: {pibench_command: ""}
    results: {pibench_results: ""}
    report_command: {pibench_report_command: "\\t"}
INVENTORY
status=$(play "$tmp/hosts3" measure.yml)
[ "$status" -ne 0 ] || { cat "$tmp/play.out"; fail "the play ended 0 with bad values"; }
for host in digits digits_text runs warmup batches pause install copies parallel name name_text dir dist command results report_command; do
  var=pibench_${host%_text}
  grep -q "^fatal: \[$host\]: .*'$var'\|^failed: \[$host\] .*\"msg\": \"$var is " "$tmp/play.out" ||
    { cat "$tmp/play.out"; fail "no failure names $var for $host"; }
done
[ ! -e "$tmp/bad" ] && [ ! -e "$tmp/bad-host" ] || fail "a bad value left the play touching a host or the results"

echo "removal"
# One at a time: these hosts share one dpkg.
status=$(play "$tmp/hosts2" remove.yml --limit alpha,beta --forks 1)
[ "$status" -eq 0 ] || { cat "$tmp/play.out"; fail "remove.yml ended $status"; }
[ ! -e "$tmp/hosts/alpha" ] && [ ! -e "$tmp/hosts/beta" ] || fail "a work directory is left"
if $install; then
  dpkg-query -W -f='${Status}' pibench 2>/dev/null | grep -q 'install ok installed' && fail "pibench is still installed"
fi
echo "the fleet playbook: as expected"

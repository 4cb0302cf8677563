#!/usr/bin/env bash
# What Debian does not have for a target, built once from Debian's sources
# into the target's sysroot, where its toolchain file finds it: libfaketime
# for riscv64, for the tests that run a program on a fake clock.
set -euo pipefail
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
host=riscv64-linux-gnu
[ -f "/usr/$host/lib/faketime/libfaketime.so.1" ] && exit 0

if ! grep -rqs '^Types: deb-src' /etc/apt/sources.list.d/; then
  $sudo tee /etc/apt/sources.list.d/debian-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  $sudo apt-get update -q >/dev/null || true  # a mirror mid-sync fails an index we do not need
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
apt-get source -q --download-only faketime >/dev/null 2>&1
tar xf faketime_*.orig.tar.*
faketime=$(ls -d "$work"/libfaketime-*/)
echo "building libfaketime for $host"
(cd "$faketime/src" && make clean && make CC="$host-gcc" PREFIX=/usr LIBDIRNAME=/lib/faketime libfaketime.so.1) \
  >>"$work/build.log" 2>&1 || { tail -50 "$work/build.log"; exit 1; }
$sudo mkdir -p "/usr/$host/lib/faketime"
$sudo cp "$faketime/src/libfaketime.so.1" "/usr/$host/lib/faketime/"

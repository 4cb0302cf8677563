#!/usr/bin/env bash
# Libraries that Debian does not have for a target, built once from
# Debian's sources into the target's sysroot, where its toolchain file
# finds them: GMP and MPFR for Windows (MinGW-w64) and for riscv64, and
# libfaketime for riscv64.
set -euo pipefail
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
needed=()
for host in x86_64-w64-mingw32 riscv64-linux-gnu; do
  [ -f "/usr/$host/lib/libmpfr.a" ] && [ -f "/usr/$host/lib/libgmp.a" ] || needed+=("$host")
done
faketime_hosts=(riscv64-linux-gnu)
for host in "${faketime_hosts[@]}"; do
  [ -f "/usr/$host/lib/faketime/libfaketime.so.1" ] || needed+=("faketime-$host")
done
((${#needed[@]})) || exit 0

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
apt-get source -q --download-only gmp mpfr4 faketime >/dev/null 2>&1
tar xf gmp_*.orig.tar.xz
tar xf mpfr4_*.orig.tar.xz
tar xf faketime_*.orig.tar.*
gmp=$(ls -d "$work"/gmp-*/)
mpfr=$(ls -d "$work"/mpfr-*/)
faketime=$(ls -d "$work"/libfaketime-*/)
# Debian's tarball leaves out the manual, which configure still names.
mkdir -p "$gmp/doc"
[ -f "$gmp/doc/Makefile.in" ] || printf 'all install install-data install-exec check clean distclean uninstall:\n\t@:\n' >"$gmp/doc/Makefile.in"
build() {
  local dir=$1
  shift
  (mkdir "$work/b-$dir" && cd "$work/b-$dir" && "$@" && make -j"$(nproc)" && make install) >>"$work/build.log" 2>&1 ||
    { tail -50 "$work/build.log"; exit 1; }
}
for host in "${needed[@]}"; do
  [[ "$host" == faketime-* ]] && continue
  echo "building GMP and MPFR for $host (a few minutes, once)"
  prefix="$work/prefix-$host"
  options=(--host="$host" --prefix="$prefix" --disable-shared --enable-static --with-pic)
  build "gmp-$host" "$gmp/configure" "${options[@]}" --disable-assembly
  build "mpfr-$host" "$mpfr/configure" "${options[@]}" --with-gmp="$prefix"
  $sudo cp "$prefix"/include/gmp.h "$prefix"/include/mpf2mpfr.h "$prefix"/include/mpfr.h "/usr/$host/include/"
  $sudo cp "$prefix"/lib/libgmp.a "$prefix"/lib/libmpfr.a "/usr/$host/lib/"
done
for host in "${faketime_hosts[@]}"; do
  [[ " ${needed[*]} " == *" faketime-$host "* ]] || continue
  echo "building libfaketime for $host"
  (cd "$faketime/src" && make clean && make CC="$host-gcc" PREFIX=/usr LIBDIRNAME=/lib/faketime libfaketime.so.1) \
    >>"$work/build.log" 2>&1 || { tail -50 "$work/build.log"; exit 1; }
  $sudo mkdir -p "/usr/$host/lib/faketime"
  $sudo cp "$faketime/src/libfaketime.so.1" "/usr/$host/lib/faketime/"
done

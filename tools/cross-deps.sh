#!/usr/bin/env bash
# GMP and MPFR for the Windows tests: Debian has them for Linux only, so
# they are built from Debian's sources with MinGW-w64, once, into its
# sysroot (where the toolchain file finds them).
set -euo pipefail
sysroot=/usr/x86_64-w64-mingw32
[ -f "$sysroot/lib/libmpfr.a" ] && [ -f "$sysroot/lib/libgmp.a" ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
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
apt-get source -q --download-only gmp mpfr4 >/dev/null 2>&1
tar xf gmp_*.orig.tar.xz
tar xf mpfr4_*.orig.tar.xz
gmp=$(ls -d gmp-*/)
mpfr=$(ls -d mpfr-*/)
# Debian's tarball leaves out the manual, which configure still names.
mkdir -p "$gmp/doc"
[ -f "$gmp/doc/Makefile.in" ] || printf 'all install install-data install-exec check clean distclean uninstall:\n\t@:\n' >"$gmp/doc/Makefile.in"
prefix="$work/prefix"
options=(--host=x86_64-w64-mingw32 --prefix="$prefix" --disable-shared --enable-static)
echo "building GMP and MPFR for MinGW-w64 (a few minutes, once)"
build() {
  local dir=$1
  shift
  (mkdir "b-$dir" && cd "b-$dir" && "$@" && make -j"$(nproc)" && make install) >>"$work/build.log" 2>&1 ||
    { tail -50 "$work/build.log"; exit 1; }
}
build gmp "../$gmp/configure" "${options[@]}" --disable-assembly
build mpfr "../$mpfr/configure" "${options[@]}" --with-gmp="$prefix"
$sudo cp "$prefix"/include/gmp.h "$prefix"/include/mpf2mpfr.h "$prefix"/include/mpfr.h "$sysroot/include/"
$sudo cp "$prefix"/lib/libgmp.a "$prefix"/lib/libmpfr.a "$sysroot/lib/"

#!/usr/bin/env bash
# Installs the Debian packages that are missing: `deps.sh program` what the
# program needs (a compiler, CMake, Ninja, the nlohmann-json headers); `deps.sh tests` (the default)
# also what every test stage needs, the other targets' toolchains,
# emulators and libraries among them.
set -euo pipefail
mode=${1:-tests}
packages=(cmake ninja-build g++ nlohmann-json3-dev)
if [ "$mode" = tests ]; then
  packages+=(clang libgtest-dev libgmock-dev libbenchmark-dev libgmp-dev libmpfr-dev libf2c2-dev faketime
             util-linux procps chromium libclang-rt-14-dev valgrind time dpkg-dev file man-db lintian clang-tidy clang-format
             g++-aarch64-linux-gnu g++-arm-linux-gnueabihf g++-i686-linux-gnu g++-riscv64-linux-gnu
             g++-mingw-w64-x86-64-posix qemu-user wine64 xz-utils
             ansible-core ansible-lint openssh-server python3-apt
             libf2c2-dev:arm64 libfaketime:arm64 libstdc++6:arm64
             libf2c2-dev:armhf libfaketime:armhf libstdc++6:armhf
             libf2c2-dev:i386 libfaketime:i386 libstdc++6:i386 libc6-dbg:i386)
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  if [ "$mode" = tests ]; then
    for arch in arm64 armhf i386; do
      dpkg --print-foreign-architectures | grep -qx "$arch" || $sudo dpkg --add-architecture "$arch"
    done
  fi
  # A mirror caught mid-sync fails one index; the others still serve.
  $sudo apt-get update -q || echo "apt-get update failed in part; installing from the lists it has"
  install() { DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --allow-downgrades "$@"; }
  # With a foreign architecture's index behind the host's, a library that
  # must have one version on every architecture is asked for at the newest
  # version they all have.
  pinned=()
  for _ in 1 2 3 4; do
    problems=$({ apt-get install -s "${missing[@]}" "${pinned[@]}" 2>&1 || true; } |
      sed -n 's/.*Depends: \([a-z0-9.+-]*\):[a-z0-9]* .*but it is not.*/\1/p' | sort -u)
    [ -n "$problems" ] || break
    for lib in $problems; do
      archs=($(dpkg --print-architecture) $(dpkg --print-foreign-architectures))
      common=$(for a in "${archs[@]}"; do apt-cache madison "$lib:$a" | awk '{print $3}' | sort -u; done |
        sort | uniq -c | awk -v n=${#archs[@]} '$1 == n {print $2}' | sort -V | tail -1)
      [ -n "$common" ] && for a in "${archs[@]}"; do pinned+=("$lib:$a=$common"); done
    done
  done
  install "${missing[@]}" "${pinned[@]}"
fi
if [ "$mode" = tests ]; then
  bash "$(dirname "$0")/cross-deps.sh"
fi

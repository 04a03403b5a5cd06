#!/usr/bin/env bash
# Installs whatever the build, the tests, the fuzzers and the benchmarks need from Debian's
# packages. Safe to run again: packages already present are left alone.
set -euo pipefail

# The programs and TVAPI.dll are 32-bit x86, as the game is: the i686 cross compilers build them
# and 32-bit Wine (from the i386 architecture) runs their tests.
packages=(
  cmake ninja-build make g++ pkg-config
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386 libwine:i386 xvfb xauth x11-utils imagemagick
  googletest libgtest-dev libbenchmark-dev zlib1g-dev
  locales fonts-wqy-microhei
  clang libclang-rt-14-dev llvm
  python3
  sox hyperfine zip zstd time
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "adding the i386 architecture (32-bit Wine)"
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The Wine prefix runs in zh_CN.UTF-8 so that its ANSI code page is 936.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  if ! grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'zh_CN.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo_cmd[@]}" locale-gen zh_CN.UTF-8
fi
echo "dependencies ready"

#!/usr/bin/env bash
# Installs what the builds and tests need on Debian 12 (as root). Idempotent, and quick when
# everything is already there: apt is only asked when a package is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ make
  libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64
  wine wine64 fonts-wine xvfb xauth imagemagick xdotool
  clang clang-tidy clang-format cppcheck libclang-rt-14-dev
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
# 32-bit Wine: installed where the architecture can be added; it runs only on kernels that
# execute 32-bit programs.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  missing+=(wine32)
elif ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "ok installed"; then
  missing+=(wine32)
fi

if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q "${missing[@]}"
fi

#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs what building and testing koList needs on Debian 12, natively and
# for 32-bit little-endian MIPS under qemu-user, with coverage (gcovr),
# fuzzing (clang's libFuzzer), benchmarks, clang-tidy, the manual pages, the
# debugger test and the Debian packages of both architectures (debhelper,
# lintian). Run as root or with sudo.
set -eu
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
# The MIPS package build looks up the MIPS C library in dpkg's database
# (dpkg-shlibdeps), so the runtime libc6:mipsel is installed beside the
# native one; the cross compiler brings its own headers and link libraries.
dpkg --print-foreign-architectures | grep -qx mipsel || $sudo dpkg --add-architecture mipsel
packages="cmake ninja-build g++ gcc libgtest-dev googletest pkg-config
  valgrind binutils file g++-mipsel-linux-gnu qemu-user clang libclang-rt-14-dev gcovr
  libbenchmark-dev clang-tidy scdoc man-db gdb git build-essential
  crossbuild-essential-mipsel debhelper dpkg-dev lintian libc6:mipsel"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing

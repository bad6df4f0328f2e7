#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs on Debian 12 what one of koList's commands needs, and nothing
# more; run as root or with sudo. Each command asks for its set:
#   build  CMake with make and Ninja, a C and a C++20 compiler (GCC):
#          tools/example.sh, the quick start, the README's install commands
#   bench  build, with Google Benchmark, valgrind and GLib (GQueue, compared
#          with koList; it brings pkg-config): tools/bench.sh
#   test   everything the whole suite needs: tools/check.sh, tools/package.sh.
#          bench, with GoogleTest, pkg-config, scdoc and man-db, gdb, git,
#          clang with libFuzzer and clang-tidy, gcovr, the cross compilers for
#          32-bit MIPS of both byte orders, qemu-user and the MIPS C libraries
#          (glibc, and musl for little-endian), debhelper and lintian. It adds
#          the mipsel dpkg architecture.
set -eu
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
build="cmake make ninja-build gcc g++"
bench="$build libbenchmark-dev valgrind libglib2.0-dev"
case "${1-}" in
build) packages=$build ;;
bench) packages=$bench ;;
test)
  # The MIPS package build looks up the MIPS C library in dpkg's database
  # (dpkg-shlibdeps), so the runtime libc6:mipsel is installed beside the
  # native one; the cross compiler brings its own headers and link libraries.
  # musl-dev:mipsel brings musl's, and musl itself, whose loader is the
  # host's /lib/ld-musl-mipsel.so.1; musl-tools:mipsel the driver that runs
  # the cross compiler on them.
  dpkg --print-foreign-architectures | grep -qx mipsel || $sudo dpkg --add-architecture mipsel
  packages="$bench libgtest-dev googletest pkg-config binutils file g++-mipsel-linux-gnu g++-mips-linux-gnu
    qemu-user clang libclang-rt-14-dev gcovr clang-tidy scdoc man-db gdb git build-essential
    crossbuild-essential-mipsel debhelper dpkg-dev lintian libc6:mipsel musl-dev:mipsel
    musl-tools:mipsel"
  ;;
*)
  echo "usage: sh tools/setup.sh build|bench|test" >&2
  exit 2
  ;;
esac
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing

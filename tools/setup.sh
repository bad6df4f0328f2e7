#!/bin/sh
# Installs what building and testing koList needs on Debian 12, natively and
# for 32-bit little-endian MIPS under qemu-user, with coverage (gcovr),
# fuzzing (clang's libFuzzer), benchmarks, clang-tidy, the manual pages and
# the debugger test. Run as root or with sudo.
set -eu
packages="cmake ninja-build g++ gcc libgtest-dev googletest pkg-config
  valgrind binutils file g++-mipsel-linux-gnu qemu-user clang libclang-rt-14-dev gcovr
  libbenchmark-dev clang-tidy scdoc man-db dpkg-dev gdb"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing

#!/bin/sh
# SPDX-License-Identifier: MIT
# Checks the Debian packages that tools/package.sh made into DIR (by default
# build/packages). Each architecture's pair of packages is unpacked into
# DIR/<arch>/root and checked there: the library's exports and dependencies
# (tests/abi.cmake), then the C and C++ examples it ships, built through
# find_package and through pkg-config and run (consumers.cmake; MIPS programs
# under qemu). Both architectures' packages are Multi-Arch: same, so what
# they install under usr/share must be byte for byte the same, paths that
# carry the triplet aside. Each check prints one line starting "packages: ".
# sh tests/install/packages.sh [DIR]
set -eu
cd "$(dirname "$0")/../.."
out=${1:-build/packages}

# check_packages ARCH [CMAKE_ARGUMENT...]: the arguments go to consumers.cmake.
check_packages() {
  arch=$1
  shift
  triplet=$(dpkg-architecture -a"$arch" -qDEB_HOST_MULTIARCH)
  root=$PWD/$out/$arch/root
  rm -rf "$root"
  mkdir -p "$root"
  for deb in "$out"/libkolist1_*_"$arch".deb "$out"/libkolist-dev_*_"$arch".deb; do
    dpkg-deb -x "$deb" "$root"
  done
  machine=""
  if [ "$arch" = mipsel ]; then machine="-DMACHINE=MIPS -DBYTE_ORDER=little"; fi
  cmake -DLIB="$root/usr/lib/$triplet/libkoList.so.1" -DHEADER="$root/usr/include/koList.h" \
    -DNM="$triplet-nm" -DREADELF="$triplet-readelf" -DLIBC=libc.so.6 $machine -P tests/abi.cmake
  cmake -DROOT="$root" -DEXAMPLES="$root/usr/share/doc/libkolist-dev/examples" \
    -DWORK="$PWD/$out/$arch/consumers" -DCC="$triplet-gcc" -DCXX="$triplet-g++" "$@" \
    -P tests/install/consumers.cmake
  echo "packages: $arch: the library's exports and dependencies as built; the examples built" \
    "through find_package and pkg-config, and run"
}

# shared_files ARCH: a line for every file and link under usr/share, with its
# contents' checksum or its target, and the triplet in its path as TRIPLET.
shared_files() {
  triplet=$(dpkg-architecture -a"$1" -qDEB_HOST_MULTIARCH)
  (cd "$out/$1/root" && find usr/share -type f -exec sha256sum {} + &&
    find usr/share -type l -printf '%l  %p\n') | sed "s|$triplet|TRIPLET|g" | sort
}

check_packages "$(dpkg --print-architecture)"
check_packages mipsel -DTOOLCHAIN="$PWD/cmake/mipsel-linux-gnu.cmake" \
  "-DEMULATOR=qemu-mipsel;-L;/usr/mipsel-linux-gnu"
shared_files "$(dpkg --print-architecture)" >"$out/shared.native"
shared_files mipsel >"$out/shared.mipsel"
diff -u "$out/shared.native" "$out/shared.mipsel"
echo "packages: usr/share the same on $(dpkg --print-architecture) and mipsel:" \
  "$(wc -l <"$out/shared.native") files and links"

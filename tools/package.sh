#!/bin/sh
# SPDX-License-Identifier: MIT
# Makes the Debian packages of what is committed (libkolist1, libkolist-dev
# and the debug symbols) for this machine and for 32-bit little-endian MIPS,
# into build/packages/, then checks them. The source package is made in a
# temporary clone; the binary packages are built from it unpacked, as Debian
# builds them, with no .git: the native build runs the test suite, the MIPS
# build is a cross build without tests (the mipsel preset runs them under
# qemu).
#
# Each pair of packages is unpacked into build/packages/<arch>/root and
# checked there: the library's exports and dependencies (tests/abi.cmake),
# then the C and C++ examples it ships, built through find_package and
# through pkg-config and run (tests/install/consumers.cmake; MIPS programs under qemu).
# Both architectures' packages are Multi-Arch: same, so what they install
# under usr/share must be byte for byte the same, paths that carry the
# triplet aside. Each check prints one line starting "packages: ".
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh test
out=build/packages
rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git clone --quiet . "$work/clone"
(cd "$work/clone" && dpkg-buildpackage --no-sign -S)
dpkg-source -x "$work"/kolist_*.dsc "$work/kolist"

(cd "$work/kolist" && nice dpkg-buildpackage --no-sign -b)
(cd "$work/kolist" && DEB_BUILD_OPTIONS=nocheck \
  nice dpkg-buildpackage --no-sign --host-arch mipsel --build-profiles=cross,nocheck -B)
find "$work" -maxdepth 1 -type f -exec mv -t "$out" {} +

# check_packages ARCH [CMAKE_ARGUMENT...]: the arguments go to consumers.cmake.
check_packages() {
  arch=$1
  shift
  triplet=$(dpkg-architecture -a"$arch" -qDEB_HOST_MULTIARCH)
  root=$PWD/$out/$arch/root
  mkdir -p "$root"
  for deb in "$out"/libkolist1_*_"$arch".deb "$out"/libkolist-dev_*_"$arch".deb; do
    dpkg-deb -x "$deb" "$root"
  done
  machine=""
  if [ "$arch" = mipsel ]; then machine=-DMACHINE=MIPS; fi
  cmake -DLIB="$root/usr/lib/$triplet/libkoList.so.1" -DHEADER="$root/usr/include/koList.h" \
    -DNM="$triplet-nm" -DREADELF="$triplet-readelf" $machine -P tests/abi.cmake
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

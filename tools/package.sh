#!/bin/sh
# SPDX-License-Identifier: MIT
# Makes the Debian packages of what is committed (libkolist1, libkolist-dev
# and the debug symbols) for this machine and for 32-bit little-endian MIPS,
# into build/packages/, then checks them. The source package is made in a
# temporary clone; the binary packages are built from it unpacked, as Debian
# builds them, with no .git: the native build runs the test suite, the MIPS
# build is a cross build without tests (the mipsel preset runs them under
# qemu). tests/install/packages.sh checks the packages, each check printing
# one line starting "packages: ".
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

sh tests/install/packages.sh "$out"

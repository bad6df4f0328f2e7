#!/bin/sh
# The whole test suite: native, under AddressSanitizer and
# UndefinedBehaviorSanitizer, under valgrind memcheck, and cross-built for
# 32-bit little-endian MIPS under qemu-user.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh
cmake --workflow --preset native
(cd build/native && ctest -T memcheck --output-on-failure)
cmake --workflow --preset asan
cmake --workflow --preset mipsel

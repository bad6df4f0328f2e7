#!/bin/sh
# SPDX-License-Identifier: MIT
# The whole test suite: native, under AddressSanitizer and
# UndefinedBehaviorSanitizer, under valgrind memcheck, and cross-built for
# 32-bit little-endian MIPS under qemu-user; clang-tidy on the library; line
# and branch coverage of src/ (100% of lines, at least 95% of branches), a
# minute of fuzzing, a build of the benchmark program, and the Debian packages
# of both architectures (tools/package.sh) held to lintian.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh
cmake --workflow --preset bench
cmake --workflow --preset native
clang-tidy --quiet -p build/native src/koList.cpp
# gdb cannot run under valgrind, and valgrind counts an exception that ends
# the program as a leak: memcheck leaves out both tests.
(cd build/native && ctest -T memcheck -LE 'gdb|terminate' --output-on-failure)
cmake --workflow --preset asan
cmake --workflow --preset mipsel
# Debian packages of both architectures, built, checked, and held to lintian.
sh tools/package.sh
lintian --fail-on error,warning build/packages/*.changes
# Coverage of src/ by the whole suite, counted afresh.
cmake --preset coverage
cmake --build --preset coverage
find build/coverage -name '*.gcda' -delete
ctest --preset coverage
gcovr --root . --filter 'src/' --print-summary --fail-under-line 100 --fail-under-branch 95 \
  build/coverage
# libFuzzer on the model test's operation interpreter, from the committed seed
# corpus; a crash, leak, divergence or timeout fails the run.
cmake --workflow --preset fuzz
mkdir -p build/fuzz/corpus
build/fuzz/fuzz/koList_fuzz -max_total_time=60 -timeout=10 -print_final_stats=1 \
  build/fuzz/corpus fuzz/corpus

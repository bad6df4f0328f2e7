#!/bin/sh
# SPDX-License-Identifier: MIT
# The whole test suite: native, under AddressSanitizer and
# UndefinedBehaviorSanitizer as built by GCC and by Clang (leaks included),
# under valgrind memcheck, and cross-built for 32-bit MIPS under qemu-user:
# little-endian and big-endian on glibc, and (the library and the C programs)
# little-endian on musl with OpenWrt's package flags;
# clang-tidy on the library; line and branch coverage of src/ (100% of lines,
# at least 95% of branches), a minute of fuzzing, a build of the benchmark
# program, and the Debian packages of both architectures (tools/package.sh)
# held to lintian.
#
# Each step's output goes to build/logs/<step>.log. A step that passes prints
# its command and its results (test counts, coverage, fuzzing statistics,
# lintian's verdict); one that fails prints the end of its log, and the suite
# stops there.
set -eu
cd "$(dirname "$0")/.."
logs=build/logs
rm -rf "$logs"
mkdir -p "$logs"
tests=0

# step NAME RESULTS COMMAND...: runs COMMAND, a stop at its first failing
# command, then prints the lines of its output that match the extended
# regular expression RESULTS, if any.
step() {
  name=$1 results=$2
  shift 2
  log=$logs/$name.log
  echo "== $name: $*"
  start=$(date +%s)
  set +e
  (set -e; "$@") >"$log" 2>&1
  status=$?
  set -e
  if [ "$status" -ne 0 ]; then
    tail -n 400 "$log"
    echo "== $name FAILED (exit status $status): the whole output is in $log"
    exit 1
  fi
  [ -z "$results" ] || grep -E "$results" "$log" | sed 's/^/   /' || true
  # ctest's count of the tests it ran, added up over the suite.
  ran=$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$log")
  tests=$((tests + ${ran:-0}))
  echo "   ok in $(($(date +%s) - start)) s"
}

ctest_results='tests passed'

memcheck_native() {
  # gdb cannot run under valgrind, and valgrind counts an exception that
  # ends the program as a leak: memcheck leaves out both tests.
  cd build/native && ctest -T memcheck -LE 'gdb|terminate' --output-on-failure
}

lintian_on_changes() {
  lintian --fail-on error,warning build/packages/*.changes >"$logs/lintian.tags" 2>&1 ||
    { cat "$logs/lintian.tags"; return 1; }
  echo "lintian: $(grep -c '^E: ' "$logs/lintian.tags") errors," \
    "$(grep -c '^W: ' "$logs/lintian.tags") warnings in" build/packages/*.changes
}

# Coverage of src/ by the whole suite, counted afresh.
coverage_of_src() {
  [ ! -d build/coverage ] || find build/coverage -name '*.gcda' -delete
  cmake --workflow --preset coverage
  gcovr --root . --filter 'src/' --print-summary --fail-under-line 100 \
    --fail-under-branch 95 build/coverage
}

# libFuzzer on the checker, from the committed seed corpus; a crash, leak,
# divergence or timeout fails the run.
fuzz_for_a_minute() {
  cmake --workflow --preset fuzz
  mkdir -p build/fuzz/corpus
  build/fuzz/fuzz/koList_fuzz -max_total_time=60 -timeout=10 -print_final_stats=1 \
    build/fuzz/corpus fuzz/corpus
}

step setup '' sh tools/setup.sh test
step bench '' cmake --workflow --preset bench
step native "$ctest_results" cmake --workflow --preset native
# clang-tidy counts the warnings it leaves out, those of system headers, on
# stderr: its findings, errors all, go to stdout.
step clang-tidy '' clang-tidy --quiet -p build/native src/koList.cpp
step memcheck "$ctest_results" memcheck_native
step asan "$ctest_results" cmake --workflow --preset asan
step clang "$ctest_results" cmake --workflow --preset clang
step mipsel "$ctest_results" cmake --workflow --preset mipsel
step mips "$ctest_results" cmake --workflow --preset mips
step mipsel-musl "$ctest_results" cmake --workflow --preset mipsel-musl
# Debian packages of both architectures, built, checked, and held to lintian.
step packages '^packages: ' sh tools/package.sh
step lintian '^lintian: ' lintian_on_changes
step coverage '^(lines|functions|branches): ' coverage_of_src
step fuzz '^(stat::|Done )' fuzz_for_a_minute
echo "check: $tests passed, 0 failed"

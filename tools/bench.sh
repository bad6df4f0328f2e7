#!/bin/sh
# Builds the benchmark program in release mode (preset `bench`) and runs it:
# koList against a hand-written baseline and std::list, ending with a table of
# median times and the ratio koList / baseline. Extra arguments go to the
# benchmark program (Google Benchmark flags, e.g. --benchmark_filter=walk).
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh
cmake --workflow --preset bench
exec build/bench/bench/koList_bench "$@"

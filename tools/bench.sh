#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the benchmark program in release mode (preset `bench`) and runs it:
# koList against a hand-written baseline library, GLib's GQueue and
# std::list; the method and the latest figures are in bench/README.md.
# Arguments go to the program:
#   sh tools/bench.sh                  wall time, ending with tables of median
#                                      times and the ratios of koList to the
#                                      baseline and to GQueue
#                                      (Google Benchmark flags accepted, e.g.
#                                      --benchmark_filter=walk)
#   sh tools/bench.sh --instructions   instructions per operation, counted
#                                      under valgrind's callgrind
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh bench
cmake --workflow --preset bench
exec build/bench/bench/koList_bench "$@"

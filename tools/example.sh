#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the library in release mode and runs the example program.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh build
cmake --workflow --preset release
build/release/examples/koList_example

// SPDX-License-Identifier: MIT
// libFuzzer target: the bytes choose the start state and moves of a walk
// through the checker. The fuzz build has no heap interposer (ASan owns
// malloc): heap refusals are not played, allocator refusals are.
#include <cstdio>
#include <cstdlib>

#include "checker.hpp"

// Moves enough for lists of tens of nodes and thousands of walks a second.
constexpr long kMoves = 128;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string failure = checker::walk(data, data + size, kMoves, {});
    if (failure.empty())
        return 0;
    std::fputs(failure.c_str(), stderr);
    std::abort();
}

// SPDX-License-Identifier: MIT
// libFuzzer target: the bytes choose a start state and the moves of a walk
// through the checker of the model tests, which compares every result,
// callback call and record with the reference model. The fuzz build has no
// heap interposer (its ASan runtime owns malloc), so heap refusals are not
// played; allocator refusals are. A divergence prints the steps and aborts.
#include <cstdio>
#include <cstdlib>

#include "interpreter.hpp"

// A walk of at most 128 moves: long enough to grow lists of tens of nodes
// and to drive every cursor and search state, short enough for thousands
// of walks a second; the bytes past it are never read.
constexpr long kMoves = 128;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const model::Source source{0, data, data + size, true};
    const std::string failure = model::walk(source, kMoves, {});
    if (failure.empty())
        return 0;
    std::fputs(failure.c_str(), stderr);
    std::abort();
}

// SPDX-License-Identifier: MIT
// libFuzzer target: the bytes choose a start state and the moves of a walk
// through the checker of the model tests, which compares every result,
// callback call and record with the reference model. The fuzz build has no
// heap interposer (its ASan runtime owns malloc), so heap refusals are not
// played; allocator refusals are. A divergence prints the steps and aborts.
#include <cstdio>
#include <cstdlib>

#include "interpreter.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const model::Source source{0, data, data + size, true};
    const std::string failure = model::walk(source, static_cast<long>(size), {});
    if (failure.empty())
        return 0;
    std::fputs(failure.c_str(), stderr);
    std::abort();
}

// libFuzzer target: the bytes choose the operations and their arguments for
// the interpreter of the model test, which checks every result, callback call
// and record against the reference model. The fuzz build has no heap
// interposer (its ASan runtime owns malloc), so heap refusals are not drawn;
// allocator refusals are. A divergence prints the operations and aborts.
#include <cstdio>
#include <cstdlib>

#include "interpreter.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const model::Source source{0, data, data + size, true};
    const std::string failure = model::run(source, static_cast<long>(size), {});
    if (failure.empty())
        return 0;
    std::fputs(failure.c_str(), stderr);
    std::abort();
}

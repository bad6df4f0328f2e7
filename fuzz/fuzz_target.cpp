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
    model::Source source{0, data, data + size, true};
    std::string error;
    const long failed = model::run(source, static_cast<long>(size), {}, error);
    if (failed < 0)
        return 0;
    std::vector<std::string> trace;
    model::Source again{0, data, data + size, true};
    model::run(again, failed + 1, {}, error, &trace);
    for (const std::string &line : trace)
        std::fprintf(stderr, "%s\n", line.c_str());
    std::fprintf(stderr, "divergence: %s\n", error.c_str());
    std::abort();
}

// Model-based randomized test: seeded random sequences of all 26 operations,
// heap and allocator refusals included, on the library and on the reference
// model of tests/interpreter.cpp. KOLIST_MODEL_SEED=<n> runs another seed.
#include "interpreter.hpp"
#include "support.hpp"

#include <algorithm>
#include <cstdlib>

#ifndef KOLIST_MODEL_OPS
#define KOLIST_MODEL_OPS 100000
#endif

namespace {

using Model = Balanced;

TEST_F(Model, RandomSequencesAgreeWithTheModel)
{
    const model::HeapHooks hooks{heap::refuse_nth, heap::live, heap::attempts};
    const char *env = std::getenv("KOLIST_MODEL_SEED");
    const uint64_t base = env != nullptr ? std::strtoull(env, nullptr, 0) : 20261206u;
    constexpr long kEpisode = 2000; // operations from no list, after which all are freed
    for (long done = 0; done < KOLIST_MODEL_OPS; done += kEpisode) {
        const uint64_t seed = base + static_cast<uint64_t>(done / kEpisode);
        const long ops = std::min(kEpisode, KOLIST_MODEL_OPS - done);
        model::Source source{seed};
        std::string error;
        const long failed = model::run(source, ops, hooks, error);
        if (failed < 0)
            continue;
        // The state is compared after every operation, so the shortest failing
        // prefix ends with the first one that diverged: replay it, traced.
        std::vector<std::string> trace;
        model::Source again{seed};
        model::run(again, std::min(failed + 1, ops), hooks, error, &trace);
        for (const std::string &line : trace)
            std::printf("%s\n", line.c_str());
        FAIL() << "KOLIST_MODEL_SEED=" << base << ": episode seed " << seed << ", shortest failing "
               << "prefix of " << failed + 1 << " operations (L4 is a null list, N-1 a null node): "
               << error;
    }
}

} // namespace

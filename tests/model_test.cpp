// Model-based randomized test: seeded random sequences of all 26 operations,
// heap and allocator refusals included, on the library and on the reference
// model of tests/interpreter.cpp. KOLIST_MODEL_SEED=<n> runs another seed.
#include "interpreter.hpp"
#include "support.hpp"

#include <algorithm>
#include <cstdlib>

namespace {

using Model = Balanced;

TEST_F(Model, RandomSequencesAgreeWithTheModel)
{
    const char *env = std::getenv("KOLIST_MODEL_SEED");
    const uint64_t base = env != nullptr ? std::strtoull(env, nullptr, 0) : 20261206u;
    constexpr long kOps = KOLIST_MODEL_OPS; // set by the build; the soak preset raises it
    constexpr long kEpisode = 2000;         // operations from no list, after which all are freed
    for (long done = 0; done < kOps; done += kEpisode) {
        const uint64_t seed = base + static_cast<uint64_t>(done / kEpisode);
        const std::string failure = model::run(model::Source{seed}, std::min(kEpisode, kOps - done),
                                               {heap::refuse_nth, heap::live, heap::attempts});
        // Records are compared after every operation, so the operations shown
        // are the shortest failing prefix of the episode.
        ASSERT_TRUE(failure.empty()) << "KOLIST_MODEL_SEED=" << base << ", episode seed " << seed
                                     << " (run first with KOLIST_MODEL_SEED=" << seed << "):\n"
                                     << failure;
    }
}

} // namespace

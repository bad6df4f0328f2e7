// SPDX-License-Identifier: MIT
// The library against the model, through the checker of tests/checker.cpp:
// every short sequence of moves from every small start state, and long random walks.
#include "support.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "koList.h"
#if defined(KOLIST_NATIVE) && __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#else
#define RUNNING_ON_VALGRIND 0
#endif

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(ko_list) == 40 && sizeof(ko_list_node) == 20, "ILP32 record layout");
#endif

namespace {

using Checker = Balanced;

long from_env(const char *name, long otherwise)
{
    const char *value = std::getenv(name);
    return value != nullptr ? std::strtol(value, nullptr, 0) : otherwise;
}

// KOLIST_SCOPE_DEPTH=<k> sets the length of the sequences: 3 by default,
// 2 under valgrind (the memcheck run uses this binary); the build sets 2
// for the emulator and the sanitizers.
TEST_F(Checker, EverySmallSequenceAgrees)
{
    const long depth = from_env("KOLIST_SCOPE_DEPTH", RUNNING_ON_VALGRIND ? 2 : 3);
    long sequences = 0;
    for (model::Callbacks callbacks : {model::kNoCallbacks, model::kAllocatorAndReleaser})
        for (int length = 0; length <= 3; length++)
            for (int cursor = -1; cursor < length; cursor++) {
                const std::string failure = checker::every_sequence(
                    length, cursor, callbacks, static_cast<int>(depth), heap::hooks, sequences);
                ASSERT_TRUE(failure.empty()) << failure;
            }
    std::fprintf(stderr, "%ld sequences of up to %ld moves from 20 start states\n", sequences,
                 depth); // on stderr, which has no buffer to allocate
}

// KOLIST_MODEL_MOVES=<n> plays n moves (100000 by default) in walks of 2000,
// each from its own seed: KOLIST_MODEL_SEED=<s> and up. Records are compared
// after every move: the moves shown are the shortest failing prefix of a walk.
TEST_F(Checker, RandomWalksAgree)
{
    const auto base = static_cast<uint64_t>(from_env("KOLIST_MODEL_SEED", 20261206));
    const long moves = from_env("KOLIST_MODEL_MOVES", 100000);
    constexpr long kWalk = 2000;
    std::vector<uint8_t> bytes(2 * kWalk + 3); // a move takes one or two, the start state three
    for (long played = 0; played < moves; played += kWalk) {
        const uint64_t seed = base + static_cast<uint64_t>(played / kWalk);
        std::mt19937_64 random(seed);
        std::ranges::generate(bytes, [&random] { return static_cast<uint8_t>(random()); });
        const std::string failure =
            checker::walk(bytes.data(), bytes.data() + bytes.size(), kWalk, heap::hooks);
        ASSERT_TRUE(failure.empty()) << "KOLIST_MODEL_SEED=" << seed << ":\n" << failure;
    }
}

} // namespace

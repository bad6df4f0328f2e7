// SPDX-License-Identifier: MIT
// The library against the reference model of tests/interpreter.cpp: every
// short sequence of moves from every small start state, and long random walks.
#include "support.hpp"

#include <sys/mman.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "koList.h"
#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#endif

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(ko_list) == 40 && sizeof(ko_list_node) == 20, "ILP32 record layout");
#endif

namespace {

using Model = Balanced;

long from_env(const char *name, long otherwise)
{
    const char *value = std::getenv(name);
    return value != nullptr ? std::strtol(value, nullptr, 0) : otherwise;
}

// Every sequence of `depth` moves from one start state, counted in
// `sequences`; "" or the report of the first divergence. A move that leaves
// the model as it was ends its sequence early: everything was compared after
// it, and whatever follows would repeat a shorter sequence.
std::string every_sequence(int length, int cursor, int mode, int depth, long &sequences)
{
    std::vector<size_t> moves(static_cast<size_t>(depth), 0);
    for (int d = depth; d >= 0;) {
        model::Checker checker(heap::hooks);
        bool agreed = checker.start(length, cursor, mode);
        bool going = agreed;
        for (d = 0; going && d < depth; d++) {
            agreed = checker.play(moves[static_cast<size_t>(d)]);
            going = agreed && checker.changed();
        }
        if (!(agreed && checker.finish()))
            return checker.report();
        sequences++;
        // The next sequence: the last move played changes, like an odometer's
        // digit, and the moves after it start over.
        std::fill(moves.begin() + d, moves.end(), 0);
        for (d--; d >= 0 && ++moves[static_cast<size_t>(d)] == model::kMoves; d--)
            moves[static_cast<size_t>(d)] = 0;
    }
    return "";
}

// KOLIST_SCOPE_DEPTH=<k> sets the length of the sequences: 3 by default,
// 2 under valgrind (the memcheck run uses this binary); the build sets 2
// for the emulator and the sanitizers.
TEST_F(Model, EverySmallSequenceAgrees)
{
    long depth = 3;
#ifdef RUNNING_ON_VALGRIND
    depth = RUNNING_ON_VALGRIND ? 2 : depth;
#endif
    depth = from_env("KOLIST_SCOPE_DEPTH", depth);
    long sequences = 0;
    for (int mode : {0, 3})
        for (int length = 0; length <= 3; length++)
            for (int cursor = -1; cursor < length; cursor++) {
                const std::string failure =
                    every_sequence(length, cursor, mode, static_cast<int>(depth), sequences);
                ASSERT_TRUE(failure.empty()) << failure;
            }
    // On stderr, which has no buffer to allocate.
    std::fprintf(stderr, "%ld sequences of up to %ld moves from 20 start states\n", sequences,
                 depth);
}

// Positions are walked from either end: every one, and every node's, on
// lists of 0 to 9 nodes, beside a node of another list and an unlinked node.
TEST_F(Model, EveryPositionAgrees)
{
    for (int length = 0; length <= 9; length++) {
        model::Checker checker(heap::hooks);
        const bool agreed = checker.start(length, -1, 0) && checker.locate_all() && checker.finish();
        ASSERT_TRUE(agreed) << checker.report();
    }
}

// ko_list_get_node_pos never reads the node asked about: a handle into a page
// that cannot be read, or a freed one, is answered like any node not linked.
TEST_F(Model, NodePositionReadsOnlyTheChain)
{
    void *const fenced = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(fenced, MAP_FAILED);
    ko_list *list = ko_list_new(1, nullptr, nullptr, nullptr);
    for (int32_t length = 0; length <= 9; length++) {
        ko_list_node *freed = ko_list_node_new(list);
        ko_list_node_free(freed);
        EXPECT_EQ(ko_list_get_node_pos(list, static_cast<ko_list_node *>(fenced)), length);
        EXPECT_EQ(ko_list_get_node_pos(list, freed), length);
        ko_list_add(list, ko_list_node_new(list));
    }
    ko_list_free(list);
    munmap(fenced, 4096);
}

// KOLIST_MODEL_SEED=<n> runs other seeds.
TEST_F(Model, RandomWalksAgree)
{
    const auto base = static_cast<uint64_t>(from_env("KOLIST_MODEL_SEED", 20261206));
    constexpr long kMoves = KOLIST_MODEL_OPS; // set by the build; the soak preset raises it
    constexpr long kWalk = 2000;
    for (uint64_t seed = base; seed < base + kMoves / kWalk; seed++) {
        // Records are compared after every move, so the moves shown are the
        // shortest failing prefix of the walk.
        const std::string failure = model::walk(model::Source{seed}, kWalk, heap::hooks);
        ASSERT_TRUE(failure.empty()) << "KOLIST_MODEL_SEED=" << seed << ":\n" << failure;
    }
}

// The one thing the checker cannot see: the list as the releaser finds it
// while it runs. The node has already left the chain.
ko_list *watched;
int releases;
int32_t release_unlinked(void *data)
{
    int32_t linked = 0;
    for (const ko_list_node *node = watched->first; node != nullptr; node = node->next, linked++)
        EXPECT_NE(node->data, data) << "released while linked";
    EXPECT_EQ(linked, watched->nodes);
    releases++;
    std::free(data);
    return 0;
}

TEST_F(Model, TheReleaserSeesItsNodeUnlinked)
{
    watched = ko_list_new(1, nullptr, nullptr, release_unlinked);
    for (int i = 0; i < 3; i++)
        ko_list_add(watched, ko_list_node_new(watched));
    ko_list_remove(watched);
    ko_list_free(watched);
    EXPECT_EQ(releases, 3);
}

} // namespace

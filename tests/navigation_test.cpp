// Worked cases of the cursor, positions, the resumable search and the sort,
// down to the comparison calls they make.
#include "support.hpp"

#include <algorithm>
#include <climits>
#include <random>

namespace {

using Navigation = Balanced;
using Calls = std::vector<std::pair<int32_t, int32_t>>;
constexpr int kNone = -1;

TEST_F(Navigation, WalksBothWaysAndStaysNullPastAnEnd)
{
    ko_list *list = make_list({1, 2, 3});
    using Step = ko_list_node *(*)(ko_list *);
    const std::tuple<Step, Step, Step, std::vector<int32_t>> walks[] = {
        {ko_list_get_first, ko_list_get_next, ko_list_get_prev, {1, 2, 3}},
        {ko_list_get_tail, ko_list_get_prev, ko_list_get_next, {3, 2, 1}},
    };
    for (const auto &[start, step, other_way, order] : walks) {
        std::vector<int32_t> seen;
        for (ko_list_node *node = start(list); node != nullptr; node = step(list))
            seen.push_back(value(node));
        EXPECT_EQ(seen, order);
        EXPECT_EQ(list->current, nullptr);
        EXPECT_EQ(other_way(list), nullptr);
        EXPECT_EQ(list->current, nullptr);
    }
    ko_list_free(list);
}

TEST_F(Navigation, MoveCurrentStopsAtTheEnds)
{
    struct Move {
        int from; // cursor index in a list of three, or kNone
        int32_t count, result;
        int to;
    };
    const Move moves[] = {
        {1, 3, 0, 2},       {2, -5, 0, 0},      {0, 1, 0, 1},         {2, -1, 0, 1},
        {0, INT_MAX, 0, 2}, {2, INT_MIN, 0, 0}, {kNone, 0, 0, kNone}, {kNone, 1, -1, kNone},
    };
    for (const Move &m : moves) {
        ko_list *list = make_list({1, 2, 3});
        list->current = nth(list, m.from);
        EXPECT_EQ(ko_list_move_current(list, m.count), m.result) << m.from << " by " << m.count;
        EXPECT_EQ(list->current, nth(list, m.to)) << m.from << " by " << m.count;
        ko_list_free(list);
    }
}

TEST_F(Navigation, PositionsCountFromTheFirstNode)
{
    ko_list *list = make_list({10, 11, 12});
    ko_list *empty = make_list({});
    ko_list_node *loose = make_node(list, 13);
    EXPECT_EQ(ko_list_get_pos(list, 2), list->tail);
    EXPECT_EQ(list->current, list->tail);
    for (int32_t position : {3, -1, INT_MIN})
        EXPECT_EQ(ko_list_get_pos(list, position), nullptr) << position;
    EXPECT_EQ(list->current, list->tail);
    list->current = list->first;
    EXPECT_EQ(ko_list_get_node_pos(list, list->tail), 2);
    EXPECT_EQ(ko_list_get_node_pos(list, loose), 3); // not in the chain: the count
    EXPECT_EQ(ko_list_get_node_pos(empty, list->tail), 0);
    EXPECT_EQ(ko_list_get_node_pos(list, nullptr), -1);
    EXPECT_EQ(list->current, list->first);
    ko_list_node_free(loose);
    ko_list_free(empty);
    ko_list_free(list);
}

// Runs a search and then ko_list_search_next until it returns null; gives
// the index of each result with the comparison calls that led to it.
std::vector<std::pair<int, Calls>> all_matches(ko_list *list, int32_t key, int32_t direction)
{
    std::vector<std::pair<int, Calls>> steps;
    CmpLog::calls.clear();
    ko_list_node *match = ko_list_search(list, CmpLog::equal, &key, direction);
    while (true) {
        steps.emplace_back(index_of(list, match), CmpLog::calls);
        CmpLog::calls.clear();
        if (match == nullptr)
            return steps;
        match = ko_list_search_next(list, CmpLog::equal, &key);
    }
}

TEST_F(Navigation, SearchFindsEveryMatchInEitherDirection)
{
    ko_list *list = make_list({5, 7, 5, 9});
    const std::vector<std::pair<int, Calls>> forward = {
        {0, {{5, 5}}}, {2, {{7, 5}, {5, 5}}}, {-1, {{9, 5}}}};
    const std::vector<std::pair<int, Calls>> backward = {
        {2, {{9, 5}, {5, 5}}}, {0, {{7, 5}, {5, 5}}}, {-1, {}}};
    EXPECT_EQ(all_matches(list, 5, KO_LIST_SEARCH_FORWARD), forward);
    EXPECT_EQ(list->search_dir, KO_LIST_SEARCH_DONE);
    EXPECT_EQ(all_matches(list, 5, KO_LIST_SEARCH_BACKWARD), backward);
    int32_t key = 5; // an ended search stays ended without comparing
    EXPECT_EQ(ko_list_search_next(list, CmpLog::equal, &key), nullptr);
    EXPECT_TRUE(CmpLog::calls.empty());
    EXPECT_EQ(list->current, list->first); // no search moves the cursor
    ko_list_free(list);
}

// After the last match leaves the chain the search resumes one node further
// on: the neighbour the search cursor moved to is stepped over.
TEST_F(Navigation, SearchResumesPastTheNeighbourOfAMatchThatLeft)
{
    const std::tuple<std::vector<int32_t>, int32_t, Calls> cases[] = {
        {{5, 5, 9}, KO_LIST_SEARCH_FORWARD, {{9, 5}}},
        {{9, 5, 5}, KO_LIST_SEARCH_BACKWARD, {{9, 5}}},
        {{1, 5}, KO_LIST_SEARCH_FORWARD, {}}, // the match was the tail: the search ends
    };
    for (const auto &[elements, direction, examined] : cases) {
        ko_list *list = make_list(elements);
        int32_t key = 5;
        ko_list_node_free(ko_list_search(list, CmpLog::equal, &key, direction));
        CmpLog::calls.clear();
        EXPECT_EQ(ko_list_search_next(list, CmpLog::equal, &key), nullptr);
        EXPECT_EQ(CmpLog::calls, examined);
        EXPECT_EQ(list->search_dir, KO_LIST_SEARCH_DONE);
        ko_list_free(list);
    }
}

// Orders by tens only, so 21 and 22 are equal and the order they end in shows.
int32_t by_tens(const void *a, const void *b)
{
    return *static_cast<const int32_t *>(a) / 10 - *static_cast<const int32_t *>(b) / 10;
}

std::vector<ko_list_node *> chain(const ko_list *list)
{
    std::vector<ko_list_node *> nodes;
    for (ko_list_node *node = list->first; node != nullptr; node = node->next)
        nodes.push_back(node);
    return nodes;
}

TEST_F(Navigation, SortComparesInAFixedOrderAndMovesOnlyData)
{
    ko_list *list = make_list({3, 1, 2});
    std::vector<ko_list_node *> before = chain(list);
    list->current = nullptr;
    CmpLog::calls.clear();
    EXPECT_EQ(ko_list_sort(list, CmpLog::diff), 0);
    EXPECT_EQ(CmpLog::calls, (Calls{{3, 1}, {1, 2}, {3, 2}}));
    EXPECT_EQ(values(list), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(chain(list), before);
    EXPECT_EQ(list->current, list->first);
    ko_list_free(list);

    // Equal elements are exchanged only when carried along by a larger one.
    const std::pair<std::vector<int32_t>, std::vector<int32_t>> ties[] = {
        {{21, 22, 13}, {13, 22, 21}},
        {{21, 22}, {21, 22}},
    };
    for (const auto &[elements, sorted] : ties) {
        list = make_list(elements);
        ko_list_sort(list, by_tens);
        EXPECT_EQ(values(list), sorted);
        ko_list_free(list);
    }
}

TEST_F(Navigation, SortOfRandomListsIsAscendingWithNOverTwoSquaredCalls)
{
    std::mt19937 random(20261206);
    for (int round = 0; round < 6; round++) {
        std::vector<int32_t> elements(std::uniform_int_distribution<size_t>(2, 300)(random));
        for (int32_t &e : elements)
            e = std::uniform_int_distribution<int32_t>(-20, 20)(random);
        ko_list *list = make_list(elements);
        CmpLog::calls.clear();
        ko_list_sort(list, CmpLog::diff);
        std::sort(elements.begin(), elements.end());
        EXPECT_EQ(values(list), elements);
        EXPECT_EQ(CmpLog::calls.size(), elements.size() * (elements.size() - 1) / 2);
        ko_list_free(list);
    }
}

} // namespace

// The exchange sort: the exact comparisons it makes, what lands where, and
// what it leaves alone.
#include "support.hpp"

#include <algorithm>
#include <random>

namespace {

using Sort = Balanced;
using Calls = std::vector<std::pair<int32_t, int32_t>>;

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

TEST_F(Sort, ComparesInTheFixedOrderAndMovesOnlyData)
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

TEST_F(Sort, ShortListsAndNoComparison)
{
    ko_list *empty = make_list({});
    ko_list *one = make_list({4});
    ko_list *two = make_list({2, 1});
    one->current = nullptr;
    two->current = nullptr;
    CmpLog::calls.clear();
    EXPECT_EQ(ko_list_sort(empty, CmpLog::diff), 0);
    EXPECT_EQ(empty->current, nullptr);
    EXPECT_EQ(ko_list_sort(one, CmpLog::diff), 0);
    EXPECT_EQ(one->current, one->first);
    EXPECT_EQ(ko_list_sort(nullptr, CmpLog::diff), 0);
    EXPECT_TRUE(CmpLog::calls.empty());
    EXPECT_EQ(ko_list_sort(two, nullptr), 0);
    EXPECT_EQ(two->current, two->first);
    EXPECT_EQ(values(two), (std::vector<int32_t>{2, 1}));
    ko_list_free(two);
    ko_list_free(one);
    ko_list_free(empty);
}

TEST_F(Sort, RandomListsEndAscendingWithEverythingElseKept)
{
    std::mt19937 random(20261206);
    for (int round = 0; round < 6; round++) {
        std::vector<int32_t> elements(std::uniform_int_distribution<size_t>(2, 300)(random));
        for (int32_t &e : elements)
            e = std::uniform_int_distribution<int32_t>(-20, 20)(random);
        ko_list *list = make_list(elements);
        std::vector<ko_list_node *> before = chain(list);
        list->search_node = before[before.size() / 2];
        list->search_dir = KO_LIST_SEARCH_BACKWARD;
        CmpLog::calls.clear();
        ko_list_sort(list, CmpLog::diff);
        std::sort(elements.begin(), elements.end());
        EXPECT_EQ(values(list), elements);
        size_t n = elements.size();
        EXPECT_EQ(CmpLog::calls.size(), n * (n - 1) / 2);
        EXPECT_EQ(chain(list), before);
        EXPECT_EQ(list->nodes, static_cast<int32_t>(n));
        EXPECT_EQ(list->search_node, before[before.size() / 2]);
        EXPECT_EQ(list->search_dir, KO_LIST_SEARCH_BACKWARD);
        EXPECT_EQ(list->current, list->first);
        EXPECT_TRUE(valid(list));
        ko_list_free(list);
    }
}

} // namespace

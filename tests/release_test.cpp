// Releasing nodes, the current node, every node and whole lists: in list
// order, through the releaser or the heap, with the list consistent all along.
#include "support.hpp"

#include <cstdlib>

namespace {

using Release = Balanced;

// Logs each element it releases and checks, while it runs, that the list
// being released is consistent and no longer links the element.
struct Releaser {
    static inline const ko_list *watched = nullptr;
    static inline int32_t seen[64];
    static inline int count = 0;
    static inline bool consistent = true;

    static int32_t release(void *data)
    {
        seen[count++] = *static_cast<int32_t *>(data);
        if (watched != nullptr) {
            bool still_linked = false;
            for (const ko_list_node *node = watched->first; node != nullptr; node = node->next)
                still_linked |= node->data == data;
            consistent &= valid(watched) && !still_linked;
        }
        std::free(data);
        return 7; // ignored
    }
    static std::vector<int32_t> log() { return {seen, seen + count}; }
    static void watch(const ko_list *list)
    {
        watched = list;
        count = 0;
        consistent = true;
    }
};

TEST_F(Release, ReleaserSeesEveryLinkedElementOnceInListOrder)
{
    ko_list *list = make_list({4, 8, 15, 16, 23}, Releaser::release);
    ko_list_node *loose = make_node(list, 42);
    list->search_node = nth(list, 2);
    list->search_dir = KO_LIST_SEARCH_BACKWARD;
    Releaser::watch(list);
    ko_list_clean(list);
    EXPECT_EQ(Releaser::log(), (std::vector<int32_t>{4, 8, 15, 16, 23}));
    EXPECT_TRUE(Releaser::consistent);
    EXPECT_EQ(list->first, nullptr);
    EXPECT_EQ(list->tail, nullptr);
    EXPECT_EQ(list->current, nullptr);
    EXPECT_EQ(list->search_node, nullptr);
    EXPECT_EQ(list->nodes, 0);
    EXPECT_EQ(list->search_dir, KO_LIST_SEARCH_BACKWARD);

    // Cleaning an empty list calls nothing; the list is still usable, and the
    // unlinked node was left to the caller.
    ko_list_clean(list);
    EXPECT_EQ(Releaser::count, 5);
    EXPECT_EQ(ko_list_add(list, loose), 0);
    ko_list_add(list, make_node(list, 43));
    EXPECT_TRUE(valid(list));
    ko_list_free(list);
    EXPECT_EQ(Releaser::log(), (std::vector<int32_t>{4, 8, 15, 16, 23, 42, 43}));
    EXPECT_TRUE(Releaser::consistent);
    Releaser::watch(nullptr);
}

TEST_F(Release, RemoveWalksFromTheCursorToTheTail)
{
    ko_list *list = make_list({1, 2, 3, 4}, Releaser::release);
    Releaser::watch(list);
    list->current = nth(list, 1);
    ko_list_node *last_kept = list->first;
    for (int32_t expect_current : {3, 4, -1}) {
        ko_list_remove(list);
        EXPECT_EQ(value(list->current), expect_current);
        EXPECT_TRUE(valid(list));
    }
    ko_list_remove(list); // no current node: nothing happens
    ko_list_remove(nullptr);
    EXPECT_EQ(Releaser::log(), (std::vector<int32_t>{2, 3, 4}));
    EXPECT_TRUE(Releaser::consistent);
    EXPECT_EQ(list->tail, last_kept);
    EXPECT_EQ(values(list), std::vector<int32_t>{1});
    ko_list_free(list);
    Releaser::watch(nullptr);
}

TEST_F(Release, NodeFreeUnlinksLinkedNodesAndLeavesTheListAloneForOthers)
{
    ko_list *list = make_list({1, 2, 3});
    ko_list_node *loose = make_node(list, 9);
    std::string before = image(list);
    ko_list_node_free(loose);
    EXPECT_EQ(image(list), before);

    list->current = nth(list, 1);
    list->search_node = nth(list, 1);
    ko_list_node_free(nth(list, 1));
    EXPECT_EQ(value(list->current), 3);
    EXPECT_EQ(value(list->search_node), 3);
    EXPECT_EQ(values(list), (std::vector<int32_t>{1, 3}));
    EXPECT_TRUE(valid(list));
    ko_list_node_free(nullptr);
    ko_list_clean(nullptr);
    ko_list_free(nullptr);
    ko_list_free(list);
}

// Data made by the caller's allocator goes back to the heap when the list
// has no releaser; the Balanced fixture proves it is not lost.
TEST_F(Release, AllocatorDataWithoutAReleaserGoesToTheHeap)
{
    auto allocate = [](int32_t size) { return std::malloc(static_cast<size_t>(size)); };
    ko_list *list = ko_list_new(16, nullptr, allocate, nullptr);
    for (int i = 0; i < 3; i++)
        ko_list_add(list, ko_list_node_new(list));
    ko_list_node_free(ko_list_node_new(list));
    ko_list_remove(list);
    EXPECT_EQ(list->nodes, 2);
    ko_list_free(list);
}

} // namespace

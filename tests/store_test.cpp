// Worked cases of the list store: creation, linking at the cursor, release
// order. The randomized model test covers every operation in every state;
// these pin down the cases a reader checks first.
#include "support.hpp"

#include <climits>
#include <cstdlib>
#include <cstring>

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(ko_list) == 40 && sizeof(ko_list_node) == 20, "ILP32 record layout");
#endif

namespace {

using Store = Balanced;

int allocations = 0;
void *dirty_data(int32_t size)
{
    allocations++;
    return std::memset(std::malloc(static_cast<size_t>(size)), 0x5A, static_cast<size_t>(size));
}

TEST_F(Store, CreatesListsAndZeroFilledOrCallerAllocatedNodes)
{
    for (int32_t size : {0, -1, INT_MIN}) {
        long calls = heap::attempts();
        EXPECT_EQ(ko_list_new(size, nullptr, nullptr, nullptr), nullptr) << size;
        EXPECT_EQ(heap::attempts(), calls) << size;
    }
    // Leave dirty blocks of the data's size behind, so a missing fill shows.
    for (int i = 0; i < 4; i++)
        std::free(std::memset(std::malloc(13), 0xEE, 13));
    int spare;
    ko_list *list = ko_list_new(13, &spare, nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->spare, &spare);
    ko_list_node *node = ko_list_node_new(list);
    EXPECT_EQ(std::string(static_cast<char *>(ko_list_node_get_data(node)), 13),
              std::string(13, '\0'));
    EXPECT_EQ(ko_list_get_nodes(list), 0); // made, not linked

    // The allocator's buffer is handed over as it left it.
    ko_list *custom = ko_list_new(7, nullptr, dirty_data, nullptr);
    ko_list_node *made = ko_list_node_new(custom);
    EXPECT_EQ(allocations, 1);
    EXPECT_EQ(std::string(static_cast<char *>(made->data), 7), std::string(7, '\x5A'));
    ko_list_node_free(made);
    ko_list_node_free(node);
    ko_list_free(custom);
    ko_list_free(list);
}

constexpr int32_t kNew = 9; // the element of the node being linked
constexpr int kNone = -1;   // no cursor

TEST_F(Store, InsertsAroundTheCursorThatStays)
{
    struct Case {
        std::vector<int32_t> start;
        int cursor; // index of the current node, or kNone
        int32_t position;
        int32_t result;
        std::vector<int32_t> end;
    };
    const Case cases[] = {
        {{}, kNone, KO_LIST_INSERT_AFTER, 0, {kNew}},
        {{}, kNone, 7, 0, {kNew}}, // an empty list takes any position
        {{1, 2, 3}, 2, KO_LIST_INSERT_AFTER, 0, {1, 2, 3, kNew}},
        {{1, 2, 3}, 0, KO_LIST_INSERT_BEFORE, 0, {kNew, 1, 2, 3}},
        {{1, 2, 3}, 1, KO_LIST_INSERT_AFTER, 0, {1, 2, kNew, 3}},
        {{1, 2, 3}, 1, KO_LIST_INSERT_BEFORE, 0, {1, kNew, 2, 3}},
        {{1, 2, 3}, kNone, KO_LIST_INSERT_AFTER, -1, {1, 2, 3}},
        {{1, 2, 3}, 1, 2, -1, {1, 2, 3}},
    };
    for (const Case &c : cases) {
        const auto at = &c - cases;
        ko_list *list = make_list(c.start);
        list->current = nth(list, c.cursor);
        ko_list_node *cursor = list->current;
        ko_list_node *node = make_node(list, kNew);
        std::string before = image(list);
        ASSERT_EQ(ko_list_insert(list, node, c.position), c.result) << at;
        EXPECT_TRUE(valid(list)) << at;
        EXPECT_EQ(values(list), c.end) << at;
        if (c.result != 0) {
            EXPECT_EQ(image(list), before) << at;
            ko_list_node_free(node);
        } else {
            EXPECT_EQ(list->current, c.start.empty() ? node : cursor) << at;
        }
        ko_list_free(list);
    }
}

TEST_F(Store, AddAppendsToTheListThatMadeTheNode)
{
    ko_list *list = make_list({1});
    ko_list *other = make_list({5});
    std::string other_before = image(other);
    ko_list_node *foreign = make_node(list, 2);
    EXPECT_EQ(ko_list_insert(other, foreign, KO_LIST_INSERT_AFTER), -1);
    EXPECT_EQ(ko_list_add(other, foreign), 0);
    EXPECT_EQ(values(list), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(image(other), other_before);
    EXPECT_EQ(ko_list_add(list, foreign), -1);
    EXPECT_EQ(ko_list_node_detach(foreign), 0);
    EXPECT_EQ(ko_list_node_detach(foreign), -1);
    ko_list_node_free(foreign);
    ko_list_free(other);
    ko_list_free(list);
}

// Logs each element it releases and checks, while it runs, that the list is
// consistent and no longer links the element.
struct Releaser {
    static inline const ko_list *watched = nullptr;
    static inline int32_t seen[16];
    static inline int count = 0;
    static inline bool consistent = true;

    static int32_t release(void *data)
    {
        seen[count++] = *static_cast<int32_t *>(data);
        for (const ko_list_node *node = watched->first; node != nullptr; node = node->next)
            consistent &= node->data != data;
        consistent &= valid(watched);
        std::free(data);
        return 7; // ignored
    }
    static std::vector<int32_t> log() { return {seen, seen + count}; }
};

TEST_F(Store, ReleasesFromTheCursorOrFirstToLast)
{
    ko_list *list = make_list({4, 8, 15, 16, 23, 42}, Releaser::release);
    Releaser::watched = list;
    ko_list_node *loose = make_node(list, 99);
    list->current = nth(list, 3);
    for (int32_t next : {23, 42, -1}) { // remove walks on to the tail
        ko_list_remove(list);
        EXPECT_EQ(value(list->current), next);
    }
    ko_list_remove(list); // no current node: nothing happens
    list->search_dir = KO_LIST_SEARCH_BACKWARD;
    ko_list_clean(list);
    EXPECT_EQ(Releaser::log(), (std::vector<int32_t>{16, 23, 42, 4, 8, 15}));
    EXPECT_TRUE(Releaser::consistent);
    EXPECT_EQ(list->search_dir, KO_LIST_SEARCH_BACKWARD);

    // The list stays usable; the unlinked node was left to the caller.
    EXPECT_EQ(ko_list_add(list, loose), 0);
    ko_list_free(list);
    EXPECT_EQ(Releaser::count, 7);
}

} // namespace

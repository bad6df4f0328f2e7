// Creating lists and nodes: sizes, zero fill, the caller's allocator and
// refusals by the allocator or the heap.
#include "support.hpp"

#include <climits>
#include <cstdlib>
#include <cstring>

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(ko_list) == 40 && sizeof(ko_list_node) == 20, "ILP32 record layout");
#endif

namespace {

using Records = Balanced;

struct Allocator {
    static inline int32_t last_size = 0;
    static inline int calls = 0;
    static inline bool refuse = false;
    static inline int released = 0;
    static void *make(int32_t size)
    {
        last_size = size;
        calls++;
        if (refuse)
            return nullptr;
        void *data = std::malloc(static_cast<size_t>(size));
        std::memset(data, 0x5A, static_cast<size_t>(size));
        return data;
    }
    static int32_t release(void *data)
    {
        released++;
        std::free(data);
        return 0;
    }
};

TEST_F(Records, NewRefusesSizesBelowOneWithoutTouchingTheHeap)
{
    for (int32_t size : {0, -1, INT_MIN}) {
        long calls = heap::attempts();
        EXPECT_EQ(ko_list_new(size, nullptr, nullptr, nullptr), nullptr) << size;
        EXPECT_EQ(heap::attempts(), calls) << size;
    }
    int spare;
    long calls = heap::attempts();
    ko_list *list = ko_list_new(1, &spare, Allocator::make, Allocator::release);
    EXPECT_EQ(heap::attempts(), calls + 1);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->first, nullptr);
    EXPECT_EQ(list->tail, nullptr);
    EXPECT_EQ(list->current, nullptr);
    EXPECT_EQ(list->search_node, nullptr);
    EXPECT_EQ(list->spare, &spare);
    EXPECT_EQ(list->data_alloc, Allocator::make);
    EXPECT_EQ(list->data_free, Allocator::release);
    EXPECT_EQ(list->data_size, 1);
    EXPECT_EQ(list->search_dir, KO_LIST_SEARCH_FORWARD);
    EXPECT_EQ(ko_list_get_nodes(list), 0);
    ko_list_free(list);
}

TEST_F(Records, HeapDataIsZeroFilledAndTheNodeIsNotLinked)
{
    // Leave dirty blocks of the data's size behind, so a missing fill shows.
    for (int i = 0; i < 4; i++) {
        void *dirty = std::malloc(13);
        std::memset(dirty, 0xEE, 13);
        std::free(dirty);
    }
    ko_list *list = ko_list_new(13, nullptr, nullptr, nullptr);
    std::string before = image(list);
    long calls = heap::attempts();
    ko_list_node *node = ko_list_node_new(list);
    EXPECT_EQ(heap::attempts(), calls + 2);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->list, list);
    EXPECT_EQ(node->prev, nullptr);
    EXPECT_EQ(node->next, nullptr);
    EXPECT_EQ(node->attached, 0);
    EXPECT_EQ(ko_list_node_get_data(node), node->data);
    EXPECT_EQ(std::string(static_cast<char *>(node->data), 13), std::string(13, '\0'));
    EXPECT_EQ(image(list), before);
    EXPECT_EQ(ko_list_get_nodes(list), 0);
    EXPECT_EQ(ko_list_node_get_data(nullptr), nullptr);
    EXPECT_EQ(ko_list_get_nodes(nullptr), 0);
    EXPECT_EQ(ko_list_node_new(nullptr), nullptr);
    ko_list_node_free(node);
    ko_list_free(list);
}

TEST_F(Records, AllocatorIsCalledOnceWithTheSizeAndItsBufferKept)
{
    Allocator::calls = 0;
    Allocator::released = 0;
    ko_list *list = ko_list_new(7, nullptr, Allocator::make, Allocator::release);
    long calls = heap::attempts();
    ko_list_node *node = ko_list_node_new(list);
    EXPECT_EQ(heap::attempts(), calls + 2); // the record, then the allocator's own malloc
    EXPECT_EQ(Allocator::calls, 1);
    EXPECT_EQ(Allocator::last_size, 7);
    EXPECT_EQ(std::string(static_cast<char *>(node->data), 7), std::string(7, '\x5A'));

    Allocator::refuse = true;
    long live = heap::live();
    EXPECT_EQ(ko_list_node_new(list), nullptr);
    Allocator::refuse = false;
    EXPECT_EQ(heap::live(), live);
    EXPECT_EQ(Allocator::calls, 2);
    EXPECT_EQ(Allocator::released, 0);

    ko_list_node_free(node);
    EXPECT_EQ(Allocator::released, 1);
    ko_list_free(list);
}

TEST_F(Records, EveryRefusedHeapCallGivesNullAndLeavesNothing)
{
    heap::refuse_nth(1);
    EXPECT_EQ(ko_list_new(4, nullptr, nullptr, nullptr), nullptr);
    ko_list *list = make_list({1, 2});
    for (long n : {1, 2}) {
        std::string before = image(list);
        long live = heap::live();
        heap::refuse_nth(n);
        EXPECT_EQ(ko_list_node_new(list), nullptr) << n;
        heap::refuse_nth(0);
        EXPECT_EQ(heap::live(), live) << n;
        EXPECT_EQ(image(list), before) << n;
    }
    ko_list_free(list);
}

} // namespace

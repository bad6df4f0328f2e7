// SPDX-License-Identifier: MIT
// A longjmp or an exception out of a callback, while each uses a list of its
// own; what one may do with its own list, the model's checker plays.
#include "support.hpp"

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "koList.h"

namespace {

using Callbacks = Balanced;

std::jmp_buf escape;
int jump_in;         // a longjmp out of the jump_in-th callback from now; 0: none
std::string thrower; // the callback that throws, by name

int32_t three_way(const void *a, const void *b)
{
    const int32_t x = *static_cast<const int32_t *>(a), y = *static_cast<const int32_t *>(b);
    return (x > y) - (x < y);
}

void append(ko_list *list, int32_t v)
{
    ko_list_node *node = ko_list_node_new(list);
    *static_cast<int32_t *>(ko_list_node_get_data(node)) = v;
    ko_list_add(list, node);
}

// The elements, sorted: every node's position (which walks from both ends)
// and the count must agree with the chain.
std::vector<int32_t> sorted_elements(ko_list *list)
{
    std::vector<int32_t> values;
    for (ko_list_node *node = list->first; node != nullptr; node = ko_list_node_get_next(node)) {
        EXPECT_EQ(ko_list_get_node_pos(list, node), static_cast<int32_t>(values.size()));
        values.push_back(*static_cast<int32_t *>(ko_list_node_get_data(node)));
    }
    EXPECT_EQ(ko_list_get_nodes(list), static_cast<int32_t>(values.size()));
    std::ranges::sort(values);
    return values;
}

void use_another_list() // made, sorted, searched and freed
{
    ko_list *other = ko_list_new(sizeof(int32_t), nullptr, nullptr, nullptr);
    for (int32_t v : {3, 1, 2})
        append(other, v);
    ko_list_sort(other, three_way);
    const int32_t two = 2;
    EXPECT_EQ(ko_list_search(other, three_way, &two, KO_LIST_SEARCH_BACKWARD),
              ko_list_get_pos(other, 1));
    ko_list_free(other);
}

void called(const char *callback)
{
    if (jump_in > 0 && --jump_in == 0)
        std::longjmp(escape, 1);
    if (thrower == callback)
        throw std::runtime_error(callback);
    use_another_list();
}
// The callbacks the lists are given, of the types koList.h names: each does
// first what called() says.
struct Callback {
    static auto allocate(int32_t size) { return called("alloc"), std::malloc(size_t(size)); }
    static auto release(void *data) { return called("release"), std::free(data), int32_t{0}; }
    static auto compare(const void *a, const void *b) { return called("compare"), three_way(a, b); }
};

ko_list_node *search(ko_list *list, int32_t key)
{
    return ko_list_search(list, Callback::compare, &key, KO_LIST_SEARCH_FORWARD);
}

// 5, 3, 1, 3, 2, made through the allocator, the cursor on the 1.
ko_list *five()
{
    ko_list *list = ko_list_new(sizeof(int32_t), nullptr, Callback::allocate, Callback::release);
    for (int32_t v : {5, 3, 1, 3, 2})
        append(list, v);
    ko_list_get_pos(list, 2);
    return list;
}

const void *last_block; // the last block the heap handed out while watched

// The list stays whole, and usable; only what the interrupted operation held
// leaks, and is given back here: the fixture counts every other block. The
// lists the callbacks made meanwhile are gone.
TEST_F(Callbacks, ALongjmpOutOfOneLeavesTheListWhole)
{
    enum Leak { nothing, new_record, third_node };
    const struct {
        int jump_in;
        void (*interrupted)(ko_list *);
        std::vector<int32_t> values_left; // sorted
        Leak leaks;
    } cases[] = {
        {1, [](ko_list *l) { ko_list_node_new(l); }, {1, 2, 3, 3, 5}, new_record},
        {3, [](ko_list *l) { ko_list_free(l); }, {2, 3}, third_node},
        {2, [](ko_list *l) { search(l, 3); }, {1, 2, 3, 3, 5}, nothing},
        {6, [](ko_list *l) { ko_list_sort(l, Callback::compare); }, {1, 2, 3, 3, 5}, nothing},
    };
    for (const auto &[due, interrupted, values_left, leaks] : cases) {
        SCOPED_TRACE(due);
        ko_list *list = five();
        ko_list_node *third = list->first->next->next;
        jump_in = due;
        heap::watch([](char kind, const void *block, size_t) {
            last_block = kind == 'm' ? block : last_block;
        });
        if (setjmp(escape) == 0) {
            interrupted(list);
            ADD_FAILURE() << "no callback jumped";
        }
        heap::watch(nullptr);
        EXPECT_EQ(sorted_elements(list), values_left);
        EXPECT_LT(ko_list_get_node_pos(list, list->current), list->nodes); // -1 for null
        EXPECT_LT(ko_list_get_node_pos(list, list->search_node), list->nodes);
        if (leaks == third_node) { // out of the chain, its data not released
            EXPECT_EQ(third->attached, 0);
            std::free(third->data);
            std::free(third);
        } else if (leaks == new_record) {
            std::free(const_cast<void *>(last_block));
        }
        EXPECT_NE(search(list, 3), nullptr);
        ko_list_free(list);
    }
}

// Run alone by terminate.cmake, with KOLIST_THROWER naming a callback: the
// library, built without unwind tables, lets no exception cross it, so
// std::terminate ends the program first, though a try block would catch it.
TEST(CallbackThrows, EndsTheProgramThroughTerminate)
{
    const char *callback = std::getenv("KOLIST_THROWER");
    if (callback == nullptr)
        GTEST_SKIP() << "run by terminate.cmake";
    thrower = callback;
    try {
        ko_list_sort(five(), Callback::compare);
        ko_list_free(five());
    } catch (const std::exception &) {
        FAIL() << "the exception crossed the library";
    }
    FAIL() << "nothing threw";
}

} // namespace

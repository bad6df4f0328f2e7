// SPDX-License-Identifier: MIT
// A callback's use of other lists, which the rules allow for anything, and
// what a longjmp out of one leaves. What a callback may do with its own list,
// read it and move its cursor, the model's checker plays (interpreter.cpp).
#include "support.hpp"

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <functional>
#include <vector>

#include "koList.h"

namespace {

using Callbacks = Balanced;
using Action = std::function<void(ko_list *)>;

std::jmp_buf escape;
int jump_in;         // a longjmp out of the jump_in-th callback from now; 0: none
bool use_other_list; // each callback then makes, sorts, searches and frees a list
int calls;

int32_t value(const void *data)
{
    return *static_cast<const int32_t *>(data);
}
int32_t three_way(const void *a, const void *b)
{
    return (value(a) > value(b)) - (value(a) < value(b));
}

void append(ko_list *list, int32_t v)
{
    ko_list_node *node = ko_list_node_new(list);
    *static_cast<int32_t *>(ko_list_node_get_data(node)) = v;
    ko_list_add(list, node);
}

// The elements, first to last: every node's position (which walks from both
// ends) and the count must agree with the chain.
std::vector<int32_t> elements(ko_list *list)
{
    std::vector<int32_t> values;
    for (ko_list_node *node = list->first; node != nullptr; node = ko_list_node_get_next(node)) {
        EXPECT_EQ(ko_list_get_node_pos(list, node), static_cast<int32_t>(values.size()));
        values.push_back(value(ko_list_node_get_data(node)));
    }
    EXPECT_EQ(ko_list_get_nodes(list), static_cast<int32_t>(values.size()));
    return values;
}

void other_list()
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

void called()
{
    calls++;
    if (jump_in > 0 && --jump_in == 0)
        std::longjmp(escape, 1);
    if (use_other_list)
        other_list();
}
void *allocate(int32_t size)
{
    return called(), std::malloc(static_cast<size_t>(size));
}
int32_t release(void *data)
{
    return called(), std::free(data), 0;
}
int32_t compare(const void *a, const void *b)
{
    return called(), three_way(a, b);
}

// 5, 3, 1, 3, 2, made through the allocator, the cursor on the 1.
ko_list *five()
{
    ko_list *list = ko_list_new(sizeof(int32_t), nullptr, allocate, release);
    for (int32_t v : {5, 3, 1, 3, 2})
        append(list, v);
    ko_list_get_pos(list, 2);
    return list;
}

TEST_F(Callbacks, MayUseOtherLists)
{
    use_other_list = true;
    calls = 0;
    ko_list *list = five();
    ko_list_sort(list, compare);
    EXPECT_EQ(elements(list), (std::vector<int32_t>{1, 2, 3, 3, 5}));
    ko_list_free(list);
    use_other_list = false;
    EXPECT_EQ(calls, 5 + 10 + 5); // allocations, comparisons, releases
}

const void *last_block; // the last block the heap handed out while watched
void note_block(char kind, const void *block, size_t)
{
    last_block = kind == 'm' ? block : last_block;
}

// The list stays whole, and usable; only what the interrupted operation held
// leaks, and is given back here: the fixture counts every other block.
TEST_F(Callbacks, ALongjmpOutOfOneLeavesTheListWhole)
{
    const int32_t three = 3;
    enum Leak { nothing, new_record, third_node };
    const struct {
        int jump_in;
        Action interrupted;
        std::vector<int32_t> values_left; // sorted
        Leak leaks;
    } cases[] = {
        {1, [](ko_list *l) { ko_list_node_new(l); }, {1, 2, 3, 3, 5}, new_record},
        {3, [](ko_list *l) { ko_list_free(l); }, {2, 3}, third_node},
        {2,
         [&](ko_list *l) { ko_list_search(l, compare, &three, KO_LIST_SEARCH_FORWARD); },
         {1, 2, 3, 3, 5},
         nothing},
        {6, [](ko_list *l) { ko_list_sort(l, compare); }, {1, 2, 3, 3, 5}, nothing},
    };
    for (const auto &[due, interrupted, values_left, leaks] : cases) {
        SCOPED_TRACE(due);
        ko_list *list = five();
        ko_list_node *third = list->first->next->next;
        jump_in = due;
        heap::watch(note_block);
        if (setjmp(escape) == 0) {
            interrupted(list);
            ADD_FAILURE() << "no callback jumped";
        }
        heap::watch(nullptr);
        std::vector<int32_t> values = elements(list);
        EXPECT_LT(ko_list_get_node_pos(list, list->current), list->nodes); // -1 for null
        EXPECT_LT(ko_list_get_node_pos(list, list->search_node), list->nodes);
        std::sort(values.begin(), values.end());
        EXPECT_EQ(values, values_left);
        if (leaks == third_node) { // out of the chain, its data not released
            EXPECT_EQ(third->attached, 0);
            std::free(third->data);
            std::free(third);
        } else if (leaks == new_record) {
            std::free(const_cast<void *>(last_block));
        }
        EXPECT_NE(ko_list_search(list, compare, &three, KO_LIST_SEARCH_FORWARD), nullptr);
        ko_list_free(list);
    }
}

} // namespace

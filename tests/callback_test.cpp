// SPDX-License-Identifier: MIT
// What a callback may do with its own list (read it, move its cursor, use
// other lists for anything), and what a longjmp out of one leaves.
#include "support.hpp"

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "koList.h"

namespace {

using Callbacks = Balanced;
using Action = std::function<void(ko_list *)>;

ko_list *watched;  // the list whose callbacks meddle; null while they are plain
int meddles;       // how often they did
std::string trace; // every callback's argument, then the outcome
std::jmp_buf escape;
int jump_in; // a longjmp out of the jump_in-th callback from now; 0: none

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

// The elements, first to last, read as a callback may: every node's position
// (which walks from both ends) and the count must agree with the chain.
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

// All a callback may do: read its list, move its cursor, and make, sort,
// search and free another list.
void meddle()
{
    const auto count = static_cast<int32_t>(elements(watched).size());
    ko_list_get_pos(watched, count > 0 ? meddles % count : 0);
    ko_list_move_current(watched, meddles++ % 3 - 1);
    ko_list *other = ko_list_new(sizeof(int32_t), nullptr, nullptr, nullptr);
    for (int32_t v : {3, 1, 2})
        append(other, v);
    ko_list_sort(other, three_way);
    const int32_t two = 2;
    EXPECT_EQ(ko_list_search(other, three_way, &two, KO_LIST_SEARCH_BACKWARD),
              ko_list_get_pos(other, 1));
    ko_list_free(other);
}

void called(char kind, const void *data)
{
    if (jump_in > 0 && --jump_in == 0)
        std::longjmp(escape, 1);
    if (watched != nullptr)
        meddle();
    trace += kind + std::to_string(data != nullptr ? value(data) : 0);
}

void *allocate(int32_t size)
{
    called('a', nullptr);
    return std::malloc(static_cast<size_t>(size));
}

int32_t release(void *data)
{
    called('r', data);
    std::free(data);
    return 0;
}

int32_t compare(const void *a, const void *b)
{
    called('c', a);
    return three_way(a, b);
}

// 5, 3, 1, 3, 2, made through the allocator, the cursor on the 1.
ko_list *five(bool meddling)
{
    ko_list *list = ko_list_new(sizeof(int32_t), nullptr, allocate, release);
    watched = meddling ? list : nullptr;
    for (int32_t v : {5, 3, 1, 3, 2})
        append(list, v);
    ko_list_get_pos(list, 2);
    return list;
}

// The callbacks' calls during `action` on five(), and everything of the list
// afterwards but its cursor, which meddling callbacks move.
std::string run(const Action &action, bool meddling)
{
    ko_list *list = five(meddling);
    action(list);
    for (int32_t v : elements(list))
        trace += "," + std::to_string(v);
    trace += "|" + std::to_string(ko_list_get_node_pos(list, list->search_node)) + "/" +
             std::to_string(list->search_dir);
    ko_list_free(list);
    watched = nullptr;
    return std::exchange(trace, {}); // leaves no block behind
}

TEST_F(Callbacks, MayReadTheirListMoveItsCursorAndUseOtherLists)
{
    const int32_t three = 3;
    auto at = [](ko_list *l, const ko_list_node *n) {
        trace += "=" + std::to_string(ko_list_get_node_pos(l, n));
    };
    const Action actions[] = {
        [](ko_list *) {},
        [&](ko_list *l) {
            for (int32_t direction : {KO_LIST_SEARCH_FORWARD, KO_LIST_SEARCH_BACKWARD}) {
                at(l, ko_list_search(l, compare, &three, direction));
                for (int i = 0; i < 2; i++)
                    at(l, ko_list_search_next(l, compare, &three));
            }
        },
        [](ko_list *l) { ko_list_sort(l, compare); },
        [](ko_list *l) { ko_list_node_free(l->first->next); },
        [](ko_list *l) { ko_list_remove(l); },
        [](ko_list *l) { ko_list_clean(l); },
    };
    for (const Action &action : actions) {
        const std::string plain = run(action, false);
        SCOPED_TRACE(plain);
        meddles = 0;
        EXPECT_EQ(run(action, true), plain);
        EXPECT_GT(meddles, 5);
    }
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
        ko_list *list = five(false);
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
    std::string().swap(trace);
}

} // namespace

// SPDX-License-Identifier: MIT
// What a callback may do with its own list: read it, move its cursor, and use
// other lists for anything. Every operation that calls back runs twice on
// equal lists, with plain callbacks and with callbacks that also do all of
// that; apart from where the cursor ends, the operation must not notice.
#include "support.hpp"

#include <csetjmp>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "koList.h"

namespace {

using Callbacks = Balanced;

ko_list *watched; // the list whose callbacks meddle; null while they are plain
int32_t meddles;
std::string trace; // each callback's argument, then the outcome

int32_t value(const void *data)
{
    return *static_cast<const int32_t *>(data);
}
int32_t three_way(const void *a, const void *b)
{
    return (value(a) > value(b)) - (value(a) < value(b));
}

// A list of its own, made, sorted, searched and freed inside a callback.
void use_another_list()
{
    ko_list *other = ko_list_new(sizeof(int32_t), nullptr, nullptr, nullptr);
    for (int32_t v : {3, 1, 2})
        if (ko_list_node *node = ko_list_node_new(other); node != nullptr) {
            *static_cast<int32_t *>(ko_list_node_get_data(node)) = v;
            ko_list_add(other, node);
        }
    ko_list_sort(other, three_way);
    const int32_t key = 2;
    EXPECT_EQ(ko_list_search(other, three_way, &key, KO_LIST_SEARCH_BACKWARD),
              ko_list_get_pos(other, 1));
    EXPECT_EQ(value(ko_list_node_get_data(ko_list_get_tail(other))), 3);
    ko_list_free(other);
}

// Reads the watched list as a callback may and finds it consistent, with
// `outside` (data a releaser is handed) not in the chain; moves its cursor.
void meddle(const void *outside)
{
    if (watched == nullptr)
        return;
    int32_t count = 0;
    const ko_list_node *prev = nullptr;
    for (ko_list_node *node = watched->first; node != nullptr; node = ko_list_node_get_next(node)) {
        EXPECT_EQ(ko_list_node_get_prev(node), prev);
        EXPECT_EQ(ko_list_get_node_pos(watched, node), count++);
        EXPECT_NE(ko_list_node_get_data(node), outside) << "handed over while linked";
        prev = node;
    }
    EXPECT_EQ(watched->tail, prev);
    EXPECT_EQ(ko_list_get_nodes(watched), count);
    if (count > 0) {
        ko_list_get_pos(watched, meddles % count);
        ko_list_move_current(watched, meddles % 3 - 1);
        ko_list_set_current(watched, ko_list_get_tail(watched));
        ko_list_get_prev(watched);
    }
    meddles++;
    use_another_list();
}

// A longjmp out of the `jump_in`-th callback call from now (0: none), taken
// before the callback does anything else.
std::jmp_buf escape;
int jump_in;
const void *jumped_with; // the data the callback that jumped was handed

void jump_if_due(const void *data)
{
    if (jump_in > 0 && --jump_in == 0) {
        jumped_with = data;
        std::longjmp(escape, 1);
    }
}

void *allocate(int32_t size)
{
    jump_if_due(nullptr);
    meddle(nullptr);
    trace += "a";
    return std::malloc(static_cast<size_t>(size));
}

int32_t release(void *data)
{
    jump_if_due(data);
    meddle(data);
    trace += "r" + std::to_string(value(data));
    std::free(data);
    return 0;
}

int32_t compare(const void *a, const void *b)
{
    jump_if_due(a);
    meddle(nullptr);
    trace += "c" + std::to_string(value(a));
    return three_way(a, b);
}

// Everything of the list but its cursor, which the meddling callbacks move.
void outcome(const ko_list *list)
{
    trace += "|" + std::to_string(list->nodes) + ":";
    for (const ko_list_node *node = list->first; node != nullptr; node = node->next)
        trace += std::to_string(value(node->data)) + ",";
    trace += "s" + std::to_string(ko_list_get_node_pos(list, list->search_node)) + "/" +
             std::to_string(list->search_dir);
}

// A list of 5, 3, 1, 3, 2 made through the allocator, cursor on the 1.
ko_list *five(bool meddling)
{
    ko_list *list = ko_list_new(sizeof(int32_t), nullptr, allocate, release);
    watched = meddling ? list : nullptr;
    for (int32_t v : {5, 3, 1, 3, 2}) {
        ko_list_node *node = ko_list_node_new(list);
        *static_cast<int32_t *>(ko_list_node_get_data(node)) = v;
        ko_list_add(list, node);
    }
    ko_list_get_pos(list, 2);
    return list;
}

// The trace of `action` on five().
std::string run(const std::function<void(ko_list *)> &action, bool meddling)
{
    trace.clear();
    ko_list *list = five(meddling);
    if (action) {
        action(list);
        outcome(list);
    }
    ko_list_free(list);
    watched = nullptr;
    return std::exchange(trace, {}); // leaves no block behind
}

std::string pos(const ko_list *list, const ko_list_node *node)
{
    return "=" + std::to_string(ko_list_get_node_pos(list, node));
}

TEST_F(Callbacks, MayReadTheirListMoveItsCursorAndUseOtherLists)
{
    const int32_t three = 3;
    const struct {
        const char *name;
        std::function<void(ko_list *)> action;
    } actions[] = {
        {"make, link and free", nullptr},
        {"search forward",
         [&](ko_list *l) {
             trace += pos(l, ko_list_search(l, compare, &three, KO_LIST_SEARCH_FORWARD));
             for (int i = 0; i < 2; i++)
                 trace += pos(l, ko_list_search_next(l, compare, &three));
         }},
        {"search backward",
         [&](ko_list *l) {
             trace += pos(l, ko_list_search(l, compare, &three, KO_LIST_SEARCH_BACKWARD));
             trace += pos(l, ko_list_search_next(l, compare, &three));
         }},
        {"sort", [](ko_list *l) { ko_list_sort(l, compare); }},
        {"free a node", [](ko_list *l) { ko_list_node_free(l->first->next); }},
        {"remove", [](ko_list *l) { ko_list_remove(l); }},
        {"clean", [](ko_list *l) { ko_list_clean(l); }},
    };
    for (const auto &[name, action] : actions) {
        SCOPED_TRACE(name);
        const std::string plain = run(action, false);
        meddles = 0;
        EXPECT_EQ(run(action, true), plain);
        EXPECT_GT(meddles, 5);
    }
}

// The list is whole: counted right, linked both ways, both cursors on it or
// null, every element in one node.
void expect_whole(const ko_list *list)
{
    std::set<const void *> elements;
    bool current_on = list->current == nullptr, search_on = list->search_node == nullptr;
    const ko_list_node *prev = nullptr;
    int32_t count = 0;
    for (const ko_list_node *node = list->first; node != nullptr; node = node->next, count++) {
        EXPECT_EQ(node->prev, prev);
        EXPECT_EQ(node->attached, 1);
        EXPECT_TRUE(elements.insert(node->data).second) << "an element in two nodes";
        current_on = current_on || node == list->current;
        search_on = search_on || node == list->search_node;
        prev = node;
    }
    EXPECT_EQ(list->tail, prev);
    EXPECT_EQ(list->nodes, count);
    EXPECT_TRUE(current_on && search_on) << "a cursor off the chain";
}

const void *last_block; // the last block the heap handed out while watched
void note_block(char kind, const void *block, size_t)
{
    if (kind == 'm')
        last_block = block;
}

// After a longjmp out of a callback the list is whole and usable, and only
// what the interrupted operation held leaks: it is found and given back here,
// and the fixture counts every other block.
TEST_F(Callbacks, ALongjmpOutOfOneLeavesTheListWhole)
{
    const int32_t three = 3;
    enum Leak { nothing, new_record, third_node };
    const struct {
        const char *name;
        int jump_in;
        std::function<void(ko_list *)> interrupted;
        int32_t nodes_after;
        Leak leaks;
    } cases[] = {
        {"allocator", 1, [](ko_list *l) { ko_list_node_new(l); }, 5, new_record},
        {"releaser", 3, [](ko_list *l) { ko_list_free(l); }, 2, third_node},
        {"search", 2,
         [&](ko_list *l) { ko_list_search(l, compare, &three, KO_LIST_SEARCH_FORWARD); }, 5,
         nothing},
        {"sort", 6, [](ko_list *l) { ko_list_sort(l, compare); }, 5, nothing},
    };
    for (const auto &[name, due, interrupted, nodes_after, leaks] : cases) {
        SCOPED_TRACE(name);
        ko_list *list = five(false);
        std::vector<ko_list_node *> nodes;
        for (ko_list_node *n = list->first; n != nullptr; n = n->next)
            nodes.push_back(n);
        jump_in = due;
        heap::watch(note_block);
        if (setjmp(escape) == 0) {
            interrupted(list);
            ADD_FAILURE() << "no callback jumped";
        }
        heap::watch(nullptr);
        expect_whole(list);
        EXPECT_EQ(list->nodes, nodes_after);
        if (leaks == third_node) { // released third, out of the chain
            ko_list_node *node = nodes[2];
            EXPECT_EQ(node->data, jumped_with);
            EXPECT_EQ(node->attached, 0);
            std::free(node->data);
            std::free(node);
        }
        if (leaks == new_record) // the record of the node being made
            std::free(const_cast<void *>(last_block));
        EXPECT_NE(ko_list_search(list, compare, &three, KO_LIST_SEARCH_FORWARD), nullptr);
        ko_list_free(list);
        trace.clear();
    }
    std::string().swap(trace);
}

} // namespace

// SPDX-License-Identifier: MIT
// What a callback may do with its own list: read it, move its cursor, and use
// other lists for anything. Every operation that calls back runs twice on
// equal lists, with plain callbacks and with callbacks that also do all of
// that; apart from where the cursor ends, the operation must not notice.
#include "support.hpp"

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>

#include "koList.h"

namespace {

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

void *allocate(int32_t size)
{
    meddle(nullptr);
    trace += "a";
    return std::malloc(static_cast<size_t>(size));
}

int32_t release(void *data)
{
    meddle(data);
    trace += "r" + std::to_string(value(data));
    std::free(data);
    return 0;
}

int32_t compare(const void *a, const void *b)
{
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

// The trace of `action` on a list of 5, 3, 1, 3, 2 made through the allocator.
std::string run(const std::function<void(ko_list *)> &action, bool meddling)
{
    trace.clear();
    ko_list *list = ko_list_new(sizeof(int32_t), nullptr, allocate, release);
    watched = meddling ? list : nullptr;
    for (int32_t v : {5, 3, 1, 3, 2}) {
        ko_list_node *node = ko_list_node_new(list);
        *static_cast<int32_t *>(ko_list_node_get_data(node)) = v;
        ko_list_add(list, node);
    }
    ko_list_get_pos(list, 2);
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

TEST_F(Balanced, CallbacksMayReadTheirListMoveItsCursorAndUseOtherLists)
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

} // namespace

// Walking with the current-node cursor, moving it by counts, and positions.
#include "support.hpp"

#include <climits>

namespace {

using Cursor = Balanced;

TEST_F(Cursor, WalksBothWaysAndStaysNullPastAnEnd)
{
    ko_list *list = make_list({1, 2, 3});
    using Step = ko_list_node *(*)(ko_list *);
    struct Walk {
        Step start, step, other_way;
        std::vector<int32_t> order;
    };
    const Walk walks[] = {
        {ko_list_get_first, ko_list_get_next, ko_list_get_prev, {1, 2, 3}},
        {ko_list_get_tail, ko_list_get_prev, ko_list_get_next, {3, 2, 1}},
    };
    for (const Walk &walk : walks) {
        std::vector<int32_t> seen;
        for (ko_list_node *node = walk.start(list); node != nullptr; node = walk.step(list)) {
            EXPECT_EQ(list->current, node);
            seen.push_back(value(node));
        }
        EXPECT_EQ(seen, walk.order);
        EXPECT_EQ(list->current, nullptr);
        std::string before = image(list);
        EXPECT_EQ(walk.step(list), nullptr);
        EXPECT_EQ(walk.other_way(list), nullptr);
        EXPECT_EQ(image(list), before);
        EXPECT_EQ(walk.step(nullptr), nullptr);
        EXPECT_EQ(walk.start(nullptr), nullptr);
    }
    ko_list *empty = make_list({});
    EXPECT_EQ(ko_list_get_first(empty), nullptr);
    EXPECT_EQ(ko_list_get_tail(empty), nullptr);
    EXPECT_EQ(ko_list_get_next(empty), nullptr);
    EXPECT_EQ(empty->current, nullptr);
    ko_list_free(empty);
    ko_list_free(list);
}

TEST_F(Cursor, MoveCurrentClampsAtTheEnds)
{
    constexpr int kNone = -1;
    struct Move {
        int from; // cursor index in a list of three, or kNone
        int32_t count;
        int32_t result;
        int to;
    };
    const Move moves[] = {
        {1, 3, 0, 2},        {2, -5, 0, 0},        {1, 1, 0, 2},  {1, -1, 0, 0},
        {0, 0, 0, 0},        {kNone, 0, 0, kNone}, {0, INT_MAX, 0, 2},
        {2, INT_MIN, 0, 0},  {1, INT_MIN + 1, 0, 0}, {kNone, 1, -1, kNone},
        {kNone, -1, -1, kNone}, {0, 1, 0, 1}, {2, -1, 0, 1},
    };
    for (const Move &m : moves) {
        ko_list *list = make_list({1, 2, 3});
        list->current = nth(list, m.from);
        EXPECT_EQ(ko_list_move_current(list, m.count), m.result) << m.from << " by " << m.count;
        EXPECT_EQ(list->current, nth(list, m.to)) << m.from << " by " << m.count;
        ko_list_free(list);
    }
    ko_list *empty = make_list({});
    EXPECT_EQ(ko_list_move_current(empty, 2), -1);
    EXPECT_EQ(ko_list_move_current(empty, 0), 0);
    EXPECT_EQ(ko_list_move_current(nullptr, 0), -1);
    ko_list_free(empty);
}

TEST_F(Cursor, PositionsOfNodesAndNodesAtPositions)
{
    ko_list *list = make_list({10, 11, 12});
    ko_list *other = make_list({20});
    for (int32_t position : {0, 1, 2}) {
        ko_list_node *node = ko_list_get_pos(list, position);
        EXPECT_EQ(node, nth(list, position));
        EXPECT_EQ(list->current, node);
        list->current = list->first;
        EXPECT_EQ(ko_list_get_node_pos(list, node), position);
        EXPECT_EQ(list->current, list->first);
    }
    for (int32_t position : {3, 4, -1, INT_MIN, INT_MAX}) {
        EXPECT_EQ(ko_list_get_pos(list, position), nullptr) << position;
        EXPECT_EQ(list->current, list->first);
    }
    EXPECT_EQ(ko_list_get_pos(nullptr, 0), nullptr);

    // A node that is not in the chain is counted past the end.
    ko_list_node *loose = make_node(list, 13);
    EXPECT_EQ(ko_list_get_node_pos(list, loose), 3);
    EXPECT_EQ(ko_list_get_node_pos(list, other->first), 3);
    EXPECT_EQ(ko_list_get_node_pos(list, nullptr), -1);
    EXPECT_EQ(ko_list_get_node_pos(nullptr, loose), -1);
    ko_list *empty = make_list({});
    EXPECT_EQ(ko_list_get_node_pos(empty, list->first), 0);
    EXPECT_EQ(ko_list_get_pos(empty, 0), nullptr);

    // The neighbour readers walk without touching the cursor.
    ko_list_node *middle = nth(list, 1);
    EXPECT_EQ(ko_list_node_get_prev(middle), list->first);
    EXPECT_EQ(ko_list_node_get_next(middle), list->tail);
    EXPECT_EQ(ko_list_node_get_prev(list->first), nullptr);
    EXPECT_EQ(ko_list_node_get_next(list->tail), nullptr);
    EXPECT_EQ(ko_list_node_get_next(nullptr), nullptr);
    EXPECT_EQ(ko_list_node_get_prev(nullptr), nullptr);
    EXPECT_EQ(list->current, list->first);

    ko_list_node_free(loose);
    ko_list_free(empty);
    ko_list_free(other);
    ko_list_free(list);
}

TEST_F(Cursor, SetCurrentTakesOnlyLinkedNodesOfTheList)
{
    ko_list *list = make_list({1, 2});
    ko_list *other = make_list({3});
    ko_list_node *detached = list->tail;
    ko_list_node_detach(detached);
    std::string before = image(list);
    EXPECT_EQ(ko_list_set_current(list, nullptr), -1);
    EXPECT_EQ(ko_list_set_current(list, other->first), -1);
    EXPECT_EQ(ko_list_set_current(list, detached), -1);
    EXPECT_EQ(ko_list_set_current(nullptr, list->first), -1);
    EXPECT_EQ(image(list), before);
    list->current = nullptr;
    EXPECT_EQ(ko_list_set_current(list, list->first), 0);
    EXPECT_EQ(list->current, list->first);
    EXPECT_EQ(ko_list_get_current(list), list->first);
    EXPECT_EQ(ko_list_get_current(nullptr), nullptr);
    ko_list_node_free(detached);
    ko_list_free(other);
    ko_list_free(list);
}

} // namespace

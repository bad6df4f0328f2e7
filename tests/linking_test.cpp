// Linking nodes at the tail or around the cursor, and unlinking them with the
// cursors moved off.
#include "support.hpp"

namespace {

using Linking = Balanced;

constexpr int32_t kNew = 9; // the element of the node being linked
constexpr int kNone = -1;   // no cursor

struct InsertCase {
    std::vector<int32_t> start;
    int cursor; // index of the current node, or kNone
    int32_t position;
    int32_t result;
    std::vector<int32_t> end; // elements afterwards; the cursor stays put
};

TEST_F(Linking, InsertAroundTheCursor)
{
    const InsertCase cases[] = {
        {{}, kNone, KO_LIST_INSERT_AFTER, 0, {kNew}},
        {{}, kNone, KO_LIST_INSERT_BEFORE, 0, {kNew}},
        {{}, kNone, 7, 0, {kNew}},
        {{1, 2, 3}, 2, KO_LIST_INSERT_AFTER, 0, {1, 2, 3, kNew}},
        {{1, 2, 3}, 0, KO_LIST_INSERT_BEFORE, 0, {kNew, 1, 2, 3}},
        {{1, 2, 3}, 1, KO_LIST_INSERT_AFTER, 0, {1, 2, kNew, 3}},
        {{1, 2, 3}, 1, KO_LIST_INSERT_BEFORE, 0, {1, kNew, 2, 3}},
        {{1, 2, 3}, 0, KO_LIST_INSERT_AFTER, 0, {1, kNew, 2, 3}},
        {{1, 2, 3}, 2, KO_LIST_INSERT_BEFORE, 0, {1, 2, kNew, 3}},
        {{1}, 0, KO_LIST_INSERT_BEFORE, 0, {kNew, 1}},
        {{1, 2, 3}, kNone, KO_LIST_INSERT_AFTER, -1, {1, 2, 3}},
        {{1, 2, 3}, 1, 2, -1, {1, 2, 3}},
        {{1, 2, 3}, 1, -1, -1, {1, 2, 3}},
    };
    for (const InsertCase &c : cases) {
        const auto at = &c - cases;
        ko_list *list = make_list(c.start);
        list->current = c.cursor == kNone ? nullptr : nth(list, c.cursor);
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

TEST_F(Linking, AddAppendsToTheListThatMadeTheNode)
{
    ko_list *list = make_list({});
    ko_list *other = make_list({5});
    ko_list_node *first = make_node(list, 1);
    EXPECT_EQ(ko_list_add(list, first), 0);
    EXPECT_EQ(list->current, first); // the first node also becomes current
    ko_list_add(list, make_node(list, 2));
    EXPECT_EQ(list->current, first); // later ones leave the cursor alone
    list->current = nullptr;
    EXPECT_EQ(ko_list_node_attach(make_node(list, 3)), 0);
    EXPECT_EQ(list->current, nullptr);

    // The list argument is only tested for null: a foreign list still
    // appends the node to its own. Insert, by contrast, refuses it.
    std::string other_before = image(other);
    ko_list_node *foreign = make_node(list, 4);
    EXPECT_EQ(ko_list_insert(other, foreign, KO_LIST_INSERT_AFTER), -1);
    EXPECT_EQ(ko_list_add(other, foreign), 0);
    EXPECT_EQ(values(list), (std::vector<int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(image(other), other_before);
    EXPECT_TRUE(valid(list));
    EXPECT_TRUE(valid(other));

    // Null handles and nodes already linked are refused without a change.
    std::string before = image(list);
    EXPECT_EQ(ko_list_add(list, first), -1);
    EXPECT_EQ(ko_list_node_attach(first), -1);
    EXPECT_EQ(ko_list_insert(list, first, KO_LIST_INSERT_AFTER), -1);
    EXPECT_EQ(ko_list_add(nullptr, first), -1);
    EXPECT_EQ(ko_list_add(list, nullptr), -1);
    EXPECT_EQ(ko_list_node_attach(nullptr), -1);
    EXPECT_EQ(ko_list_insert(list, nullptr, KO_LIST_INSERT_AFTER), -1);
    EXPECT_EQ(ko_list_node_detach(nullptr), -1);
    ko_list_node *loose = make_node(list, 8);
    EXPECT_EQ(ko_list_insert(nullptr, loose, KO_LIST_INSERT_AFTER), -1);
    EXPECT_EQ(ko_list_node_detach(loose), -1);
    EXPECT_EQ(image(list), before);
    ko_list_node_free(loose);
    ko_list_free(list);
    ko_list_free(other);
}

// Detaching every node of a three-node list with the cursor and the search
// cursor on every node (or none), in every search state.
TEST_F(Linking, DetachMovesBothCursorsOffTheNode)
{
    for (int gone = 0; gone < 3; gone++)
        for (int cursor = kNone; cursor < 3; cursor++)
            for (int found = kNone; found < 3; found++)
                for (int32_t dir : {0, 1, 2, 5}) {
                    SCOPED_TRACE(::testing::Message() << gone << cursor << found << dir);
                    ko_list *list = make_list({10, 11, 12});
                    ko_list_node *node = nth(list, gone);
                    list->current = nth(list, cursor);
                    list->search_node = nth(list, found);
                    list->search_dir = dir;
                    ko_list_node *after = node->next;
                    ko_list_node *before = node->prev;
                    ko_list_node *expect_current = cursor == gone ? after : list->current;
                    ko_list_node *expect_found =
                        found != gone ? list->search_node : dir == 0 ? after : before;

                    ASSERT_EQ(ko_list_node_detach(node), 0);
                    EXPECT_TRUE(valid(list));
                    EXPECT_EQ(list->nodes, 2);
                    EXPECT_EQ(list->current, expect_current);
                    EXPECT_EQ(list->search_node, expect_found);
                    EXPECT_EQ(list->search_dir, dir);
                    EXPECT_EQ(node->attached, 0);
                    EXPECT_EQ(node->prev, nullptr);
                    EXPECT_EQ(node->next, nullptr);
                    EXPECT_EQ(node->list, list);
                    EXPECT_EQ(ko_list_node_detach(node), -1);

                    // Relinked, the node carries its element back in.
                    EXPECT_EQ(ko_list_add(list, node), 0);
                    EXPECT_EQ(value(list->tail), 10 + gone);
                    EXPECT_TRUE(valid(list));
                    ko_list_free(list);
                }
}

TEST_F(Linking, DetachingTheOnlyNodeEmptiesTheList)
{
    ko_list *list = make_list({1});
    ko_list_node *node = list->first;
    list->search_node = node;
    EXPECT_EQ(ko_list_node_detach(node), 0);
    EXPECT_EQ(list->first, nullptr);
    EXPECT_EQ(list->tail, nullptr);
    EXPECT_EQ(list->current, nullptr);
    EXPECT_EQ(list->search_node, nullptr);
    EXPECT_EQ(list->nodes, 0);
    EXPECT_TRUE(valid(list));
    ko_list_node_free(node);
    ko_list_free(list);
}

} // namespace

// The resumable search: which nodes it examines, in which order, and how it
// resumes after its last match left the chain.
#include "support.hpp"

namespace {

using Search = Balanced;
using Calls = std::vector<std::pair<int32_t, int32_t>>;

// Runs a search and then ko_list_search_next until it returns null, and
// returns the indexes of the matches with the comparison calls of each step.
std::vector<std::pair<int, Calls>> all_matches(ko_list *list, int32_t key, int32_t direction)
{
    std::vector<std::pair<int, Calls>> steps;
    CmpLog::calls.clear();
    ko_list_node *match = ko_list_search(list, CmpLog::equal, &key, direction);
    while (true) {
        steps.emplace_back(match != nullptr ? index_of(list, match) : -1, CmpLog::calls);
        CmpLog::calls.clear();
        if (match == nullptr)
            return steps;
        EXPECT_EQ(list->search_node, match);
        match = ko_list_search_next(list, CmpLog::equal, &key);
    }
}

TEST_F(Search, FindsEveryMatchInEitherDirection)
{
    ko_list *list = make_list({5, 7, 5, 9});
    list->current = nth(list, 3);
    const std::vector<std::pair<int, Calls>> forward = {
        {0, {{5, 5}}}, {2, {{7, 5}, {5, 5}}}, {-1, {{9, 5}}}};
    const std::vector<std::pair<int, Calls>> backward = {
        {2, {{9, 5}, {5, 5}}}, {0, {{7, 5}, {5, 5}}}, {-1, {}}};
    EXPECT_EQ(all_matches(list, 5, KO_LIST_SEARCH_FORWARD), forward);
    EXPECT_EQ(list->search_dir, KO_LIST_SEARCH_DONE);
    EXPECT_EQ(all_matches(list, 5, KO_LIST_SEARCH_BACKWARD), backward);
    EXPECT_EQ(list->search_dir, KO_LIST_SEARCH_DONE);

    // An ended search stays ended without comparing anything.
    int32_t key = 5;
    EXPECT_EQ(ko_list_search_next(list, CmpLog::equal, &key), nullptr);
    EXPECT_TRUE(CmpLog::calls.empty());
    EXPECT_EQ(list->current, nth(list, 3)); // no search moves the cursor
    ko_list_free(list);
}

TEST_F(Search, RefusalsChangeNothingAndEmptyListsEndTheSearch)
{
    ko_list *list = make_list({5, 5});
    int32_t key = 5;
    ko_list_search(list, CmpLog::equal, &key, KO_LIST_SEARCH_BACKWARD);
    CmpLog::calls.clear();
    std::string before = image(list);
    EXPECT_EQ(ko_list_search(list, CmpLog::equal, &key, KO_LIST_SEARCH_DONE), nullptr);
    EXPECT_EQ(ko_list_search(list, CmpLog::equal, &key, -1), nullptr);
    EXPECT_EQ(ko_list_search(list, nullptr, &key, KO_LIST_SEARCH_FORWARD), nullptr);
    EXPECT_EQ(ko_list_search(nullptr, CmpLog::equal, &key, KO_LIST_SEARCH_FORWARD), nullptr);
    EXPECT_EQ(ko_list_search_next(list, nullptr, &key), nullptr);
    EXPECT_EQ(ko_list_search_next(nullptr, CmpLog::equal, &key), nullptr);
    EXPECT_EQ(image(list), before);
    EXPECT_TRUE(CmpLog::calls.empty());

    // A search_dir of no known state ends the search at the next step.
    list->search_dir = 7;
    EXPECT_EQ(ko_list_search_next(list, CmpLog::equal, &key), nullptr);
    EXPECT_EQ(list->search_dir, KO_LIST_SEARCH_DONE);

    ko_list *empty = make_list({});
    EXPECT_EQ(ko_list_search_next(empty, CmpLog::equal, &key), nullptr);
    EXPECT_EQ(empty->search_dir, KO_LIST_SEARCH_DONE);
    empty->search_dir = KO_LIST_SEARCH_FORWARD;
    EXPECT_EQ(ko_list_search(empty, CmpLog::equal, &key, KO_LIST_SEARCH_BACKWARD), nullptr);
    EXPECT_EQ(empty->search_dir, KO_LIST_SEARCH_DONE);
    EXPECT_TRUE(CmpLog::calls.empty());
    ko_list_free(empty);
    ko_list_free(list);
}

TEST_F(Search, NextTakesTheNewKeyFromTheLastMatch)
{
    ko_list *list = make_list({1, 2, 3, 2, 1});
    int32_t two = 2, one = 1;
    EXPECT_EQ(ko_list_search(list, CmpLog::equal, &two, KO_LIST_SEARCH_FORWARD), nth(list, 1));
    CmpLog::calls.clear();
    EXPECT_EQ(ko_list_search_next(list, CmpLog::diff, &one), nth(list, 4));
    EXPECT_EQ(CmpLog::calls, (Calls{{3, 1}, {2, 1}, {1, 1}}));
    ko_list_free(list);
}

// After the last match leaves the chain the search resumes one node further
// on: the neighbour the search cursor moved to is stepped over.
TEST_F(Search, ResumesPastTheNeighbourOfAMatchThatLeft)
{
    struct Case {
        std::vector<int32_t> elements;
        int32_t direction;
        bool release; // release the match, or only detach it
        Calls examined;
    };
    const Case cases[] = {
        {{5, 5, 9}, KO_LIST_SEARCH_FORWARD, true, {{9, 5}}},
        {{5, 5, 9}, KO_LIST_SEARCH_FORWARD, false, {{9, 5}}},
        {{9, 5, 5}, KO_LIST_SEARCH_BACKWARD, true, {{9, 5}}},
        {{1, 5}, KO_LIST_SEARCH_FORWARD, true, {}},
        {{5, 1}, KO_LIST_SEARCH_BACKWARD, false, {}},
    };
    for (const Case &c : cases) {
        const auto at = &c - cases;
        ko_list *list = make_list(c.elements);
        int32_t key = 5;
        ko_list_node *match = ko_list_search(list, CmpLog::equal, &key, c.direction);
        if (c.release)
            ko_list_node_free(match);
        else
            ko_list_node_detach(match);
        CmpLog::calls.clear();
        EXPECT_EQ(ko_list_search_next(list, CmpLog::equal, &key), nullptr) << at;
        EXPECT_EQ(CmpLog::calls, c.examined) << at;
        EXPECT_EQ(list->search_dir, KO_LIST_SEARCH_DONE) << at;
        if (!c.release)
            ko_list_node_free(match);
        ko_list_free(list);
    }
}

} // namespace

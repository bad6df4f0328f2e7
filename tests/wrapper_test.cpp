// SPDX-License-Identifier: MIT
// koList.hpp: ownership counted in heap blocks, refusals, iteration, the
// cursor, search and sort.
#include "koList.hpp"
#include "support.hpp"

#include <algorithm>
#include <cstdlib>
#include <ranges>
#include <vector>

namespace {

using Wrapper = Balanced;
using Ints = ko::list<int32_t>;
using Vec = std::vector<int32_t>;
using Matches = decltype(std::declval<Ints &>().search([](int32_t) { return true; }));

static_assert(std::ranges::bidirectional_range<Ints> &&
              std::ranges::bidirectional_range<const Ints>);
static_assert(std::ranges::input_range<Matches> && !std::ranges::forward_range<Matches>);
static_assert(std::is_nothrow_move_assignable_v<Ints> && !std::is_copy_constructible_v<Ints>);
static_assert(std::is_nothrow_move_assignable_v<ko::node<int32_t>> &&
              !std::is_copy_constructible_v<ko::node<int32_t>>);

Ints make(std::initializer_list<int32_t> elements)
{
    Ints list;
    for (int32_t element : elements)
        EXPECT_TRUE(list.push_back(element));
    return list;
}

Vec contents(const Ints &list) { return {list.begin(), list.end()}; }

int released = 0;
int32_t release(void *data) { return released++, std::free(data), 0; }

TEST_F(Wrapper, OwnsItsListAndNodes)
{
    const long before = heap::live();
    Ints a = make({1, 2, 3}), b = make({9}), other = make({7});
    EXPECT_EQ(heap::live() - before, 3 + 2 * 5) << "a record per list, two blocks per node";
    b = std::move(a);
    EXPECT_EQ(heap::live() - before, 2 + 2 * 4) << "b's old list went back to the heap";
    ko::node<int32_t> kept = b.make_node(4), stray = other.make_node(8);
    EXPECT_FALSE(b.push_back(std::move(stray))) << "a node only joins its own list";
    EXPECT_TRUE(stray) << "a refused node stays with its handle";
    EXPECT_TRUE(b.insert_before(std::move(kept)));
    EXPECT_FALSE(kept);
    ko::node<int32_t> out = b.detach(std::next(b.begin(), 2));
    ASSERT_TRUE(out);
    EXPECT_EQ(*out, 2);
    EXPECT_EQ(*b.erase(b.begin()), 1);
    EXPECT_FALSE(b.detach(b.end()) || b.detach(other.begin()));
    EXPECT_EQ(contents(b), (Vec{1, 3}));
    {
        ko::list<int32_t> counted(nullptr, release);
        counted.push_back(1);
        ko::node<int32_t> loose = counted.make_node(2);
    }
    EXPECT_EQ(released, 2) << "linked and unlinked nodes go through the releaser";
}

TEST_F(Wrapper, RefusalIsANullOrFalseResult)
{
    heap::refuse_nth(1);
    Ints none;
    EXPECT_FALSE(none);
    EXPECT_FALSE(none.push_back(1) || none.make_node() || none.first());
    EXPECT_TRUE(none.empty() && none.begin() == none.end());
    EXPECT_EQ(none.search([](int32_t) { return true; }).begin(), std::default_sentinel);
    Ints list = make({1});
    for (long nth : {1, 2}) { // the node record, then its data
        heap::refuse_nth(nth);
        EXPECT_FALSE(list.push_back(2)) << nth;
    }
    list.next(); // past the tail: no cursor to insert at
    EXPECT_FALSE(list.insert_after(3) || list.insert_before(3));
    EXPECT_EQ(contents(list), Vec{1});
}

TEST_F(Wrapper, IteratesAndMovesTheCursor)
{
    Ints list = make({3, 1, 4});
    const Ints &view = list;
    list.seek(1);
    for (int32_t &element : list)
        element *= 10;
    EXPECT_TRUE(std::ranges::equal(view | std::views::reverse, Vec{40, 10, 30}));
    EXPECT_EQ(list.position(std::ranges::find(view, 40)), 2);
    EXPECT_EQ(list.position(view.end()), 3);
    EXPECT_EQ(*list.current(), 10) << "iterating left the cursor where it was";
    const std::pair<int32_t *, int32_t> landed[] = { // where each lands; -1 for nowhere
        {list.last(), 40}, {list.next(), -1}, {list.prev(), -1}, {list.first(), 30},
        {list.seek(5), -1}, {(list.move(5), list.current()), 40}, {list.prev(), 10}};
    for (size_t i = 0; i < std::size(landed); i++)
        EXPECT_EQ(landed[i].first != nullptr ? *landed[i].first : -1, landed[i].second) << i;
    EXPECT_TRUE(list.insert_after(25) && list.insert_before(5));
    EXPECT_TRUE(list.set_cursor(std::ranges::find(list, 25)));
    list.remove_current();
    EXPECT_EQ(*list.cursor(), 40);
    EXPECT_FALSE(list.set_cursor(list.end()));
    EXPECT_EQ(contents(list), (Vec{30, 5, 10, 40}));
}

TEST_F(Wrapper, SearchesLazilyWithAnyPredicate)
{
    Ints list = make({5, 7, 5, 9, 12});
    list.seek(1);
    int32_t above = 6;
    int calls = 0;
    auto big = [&](const int32_t &v) { return ++calls, v > above; }; // kept by reference
    for (auto [dir, expected] : {std::pair{ko::direction::forward, Vec{7, 9, 12}},
                                 std::pair{ko::direction::backward, Vec{12, 9, 7}}}) {
        Vec found;
        for (int32_t v : list.search(big, dir))
            found.push_back(v);
        EXPECT_EQ(found, expected);
    }
    EXPECT_EQ(calls, 10) << "each element tested once per search";
    auto small = list.search([above](int32_t v) { return v < above; }); // kept by value
    auto it = small.begin();
    EXPECT_EQ(it.node(), list.begin().node());
    EXPECT_EQ((++it).node(), std::next(list.begin(), 2).node()) << "found on demand";
    EXPECT_EQ(++it, std::default_sentinel);
    EXPECT_EQ(*list.current(), 7) << "no search moves the cursor";
}

// Orders by remainder; a comparison that also sorts another list, as a
// comparison may, each time it is called.
struct ByRemainder {
    int32_t k;
    Ints *inner = nullptr;
    bool operator()(const int32_t &a, const int32_t &b) const
    {
        if (inner != nullptr)
            inner->sort(ByRemainder{2});
        return a % k < b % k;
    }
};

long heap_requests = 0;

TEST_F(Wrapper, SortsByAnyComparison)
{
    Ints list = make({3, 1, 2, 5, 4}), other = make({7, 6, 9, 8});
    auto sorted = [&list](auto cmp) { return list.sort(cmp), contents(list); };
    EXPECT_EQ(sorted(std::less<>{}), (Vec{1, 2, 3, 4, 5}));
    EXPECT_EQ(sorted(std::greater<>{}), (Vec{5, 4, 3, 2, 1}));
    EXPECT_EQ(sorted([](const int32_t &a, const int32_t &b) { return a <=> b; }),
              (Vec{1, 2, 3, 4, 5}));
    const int32_t k = 3;
    const auto by = [](int32_t m) { return [m](int32_t v) { return v % m; }; };
    EXPECT_TRUE(std::ranges::is_sorted(
        sorted([k](const int32_t &a, const int32_t &b) { return a % k - b % k; }), {}, by(k)));
    heap::watch([](char kind, const void *, size_t) { heap_requests += kind == 'm' ? 1 : 0; });
    list.sort(ByRemainder{k, &other});
    heap::watch(nullptr);
    EXPECT_TRUE(std::ranges::is_sorted(contents(list), {}, by(k))) << "restored after inner sorts";
    EXPECT_TRUE(std::ranges::is_sorted(contents(other), {}, by(2)));
    EXPECT_EQ(heap_requests, 0) << "sorting allocates nothing";
    EXPECT_EQ(list.current(), &*list.begin()) << "the cursor ends on the first";
}

} // namespace

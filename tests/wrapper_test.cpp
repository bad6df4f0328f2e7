// The C++ interface of koList.hpp: ownership, refusals, iteration, the
// cursor, search with capturing predicates and sort. Every test is Balanced:
// it fails if a heap block is left behind.
#include "koList.hpp"
#include "support.hpp"

#include <algorithm>
#include <compare>
#include <cstdlib>
#include <ranges>
#include <vector>

namespace {

using Wrapper = Balanced;
using Ints = ko::list<int32_t>;
using Vec = std::vector<int32_t>;
struct Point { int32_t x, y; };
using Node = ko::node<Point>;

static_assert(std::ranges::bidirectional_range<Ints> && std::ranges::bidirectional_range<const Ints>);
static_assert(std::is_nothrow_move_assignable_v<Ints> && !std::is_copy_constructible_v<Ints>);
static_assert(std::is_nothrow_move_assignable_v<Node> && !std::is_copy_constructible_v<Node>);

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
    Ints a = make({1, 2, 3}), b = make({9}), other = make({7});
    b = std::move(a); // b's old list goes back to the heap
    EXPECT_FALSE(a);
    ko::node<int32_t> kept = b.make_node(4), stray = other.make_node(8);
    EXPECT_FALSE(b.push_back(std::move(stray))) << "a node only joins its own list";
    EXPECT_TRUE(stray) << "a refused node stays with its handle";
    EXPECT_TRUE(b.insert_before(std::move(kept)));
    EXPECT_FALSE(kept);
    ko::node<int32_t> out = b.detach(std::next(b.begin(), 2));
    ASSERT_TRUE(out);
    EXPECT_EQ(*out, 2);
    EXPECT_EQ(*b.erase(b.begin()), 1);
    EXPECT_FALSE(b.detach(b.end()));
    EXPECT_EQ(contents(b), (Vec{1, 3}));
    EXPECT_TRUE(valid(b.get()));
    {
        ko::list<Point> points(nullptr, release);
        points.push_back({1, 2});
        Node loose = points.make_node({3, 4});
        EXPECT_EQ(loose->y, 4);
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
    none.sort();
    Ints list = make({1});
    for (long nth : {1, 2}) { // the node record, then its data
        heap::refuse_nth(nth);
        EXPECT_FALSE(list.push_back(2)) << nth;
        heap::refuse_nth(nth);
        EXPECT_FALSE(list.make_node(2)) << nth;
    }
    list.next(); // past the tail: no cursor to insert at
    EXPECT_FALSE(list.insert_after(3) || list.insert_before(3));
    EXPECT_EQ(contents(list), Vec{1});
}

TEST_F(Wrapper, IteratesWithoutMovingTheCursor)
{
    Ints list = make({3, 1, 4, 1, 5});
    const Ints &view = list;
    list.seek(2);
    for (int32_t &element : list)
        element *= 10;
    EXPECT_EQ(std::ranges::count(view, 10), 2);
    EXPECT_EQ(*std::ranges::max_element(view), 50);
    EXPECT_EQ(std::ranges::find(view, 40), std::next(view.begin(), 2));
    EXPECT_TRUE(std::ranges::equal(view | std::views::reverse, Vec{50, 10, 40, 10, 30}));
    EXPECT_EQ(std::distance(view.begin(), view.end()), 5);
    EXPECT_EQ(list.position(std::ranges::find(view, 50)), 4);
    EXPECT_EQ(*list.current(), 40) << "walking left the cursor where it was";
}

TEST_F(Wrapper, CursorOperations)
{
    Ints list = make({1, 2, 3});
    struct Step {
        int32_t *landed;
        int32_t expected; // -1 for no element
    };
    for (const Step &step : {Step{list.current(), 1}, Step{list.last(), 3}, Step{list.next(), -1},
                             Step{list.prev(), -1}, Step{list.first(), 1}, Step{list.seek(5), -1},
                             Step{(list.move(5), list.current()), 3}, Step{list.prev(), 2}})
        EXPECT_EQ(step.landed != nullptr ? *step.landed : -1, step.expected);
    EXPECT_TRUE(list.insert_after(25) && list.insert_before(15));
    EXPECT_TRUE(list.set_cursor(std::ranges::find(list, 25)));
    list.remove_current();
    EXPECT_EQ(*list.cursor(), 3);
    EXPECT_FALSE(list.set_cursor(list.end()));
    EXPECT_EQ(contents(list), (Vec{1, 15, 2, 3}));
    EXPECT_TRUE(valid(list.get()));
}

TEST_F(Wrapper, SearchTakesCapturingPredicatesLazily)
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
    EXPECT_EQ(calls, 10);
    EXPECT_EQ(*list.current(), 7) << "no search moves the cursor";
}

TEST_F(Wrapper, SortsByCapturelessComparisons)
{
    Ints list = make({3, 1, 2, 5, 4});
    auto sorted = [&list](auto cmp) { return list.sort(cmp), contents(list); };
    EXPECT_EQ(sorted(std::less<>{}), (Vec{1, 2, 3, 4, 5}));
    EXPECT_EQ(sorted(std::greater<>{}), (Vec{5, 4, 3, 2, 1}));
    EXPECT_EQ(sorted([](const int32_t &a, const int32_t &b) { return b <=> a; }), (Vec{5, 4, 3, 2, 1}));
    Vec parity = sorted([](const int32_t &a, const int32_t &b) { return a % 2 - b % 2; });
    EXPECT_TRUE(std::ranges::is_partitioned(parity, [](int32_t v) { return v % 2 == 0; }));
    EXPECT_EQ(list.current(), &*list.begin()) << "the cursor ends on the first";

    ko::list<Point> points;
    for (Point p : {Point{2, 0}, Point{1, 1}, Point{3, 2}})
        points.push_back(p);
    points.sort([](const Point &p, const Point &q) { return p.x < q.x; });
    EXPECT_TRUE(std::ranges::equal(points, Vec{1, 0, 2}, {}, &Point::y));
}

} // namespace

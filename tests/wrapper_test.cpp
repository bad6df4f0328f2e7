// SPDX-License-Identifier: MIT
// koList.hpp: ownership counted in heap blocks, handles that outlive their
// list, refusals, iteration, the cursor, search by any predicate and sort by
// any comparison.
#include "koList.hpp"
#include "support.hpp"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <ranges>
#include <vector>

namespace {

using Wrapper = Balanced;
using Ints = ko::list<int32_t>;
using Vec = std::vector<int32_t>;
using Matches = decltype(std::declval<Ints &>().search([](int32_t) { return true; }));

static_assert(std::ranges::bidirectional_range<Ints> &&
              std::ranges::bidirectional_range<const Ints>);
static_assert(std::is_convertible_v<Ints::iterator, Ints::const_iterator> &&
              !std::is_constructible_v<Ints::iterator, Ints::const_iterator>);
static_assert(std::ranges::input_range<Matches> && !std::ranges::forward_range<Matches> &&
              std::default_initializable<std::ranges::iterator_t<Matches>>);
// Elements as large as the library's sizes go, and as aligned as the heap.
static_assert(std::is_default_constructible_v<ko::list<std::array<char, INT32_MAX>>> &&
              std::is_default_constructible_v<ko::list<std::max_align_t>>);
static_assert(std::is_nothrow_move_assignable_v<Ints> && !std::is_copy_constructible_v<Ints> &&
              std::is_nothrow_move_assignable_v<ko::node<int32_t>> &&
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
    EXPECT_EQ(heap::live() - before, 3 * 2 + 2 * 5)
        << "a record and a count per list, two blocks per node";
    b = std::move(a);
    EXPECT_EQ(heap::live() - before, 2 * 2 + 2 * 4) << "b's old list went back to the heap";
    ko::node<int32_t> kept = b.make_node(4), stray = other.make_node(8);
    EXPECT_FALSE(b.push_back(std::move(stray)) || other.push_back(b.make_node(5)))
        << "a node only joins its own list";
    EXPECT_TRUE(stray) << "a refused node stays with its handle";
    EXPECT_TRUE(b.insert_before(std::move(kept)));
    EXPECT_FALSE(kept);
    const auto at = std::next(b.begin(), 2);
    ko::node<int32_t> out = b.detach(at);
    ASSERT_TRUE(out);
    EXPECT_EQ(*out, 2);
    EXPECT_FALSE(b.detach(at)) << "a node already out is not handed out again";
    EXPECT_EQ(*b.erase(b.begin()), 1);
    EXPECT_FALSE(b.detach(b.end()) || b.detach(other.begin()) || other.detach(b.begin()));
    EXPECT_EQ(contents(b), (Vec{1, 3}));
    // Linked through the C operations, a node is given up with release().
    ASSERT_EQ(ko_list_add(b.get(), out.get()), 0);
    EXPECT_EQ(out.release(), b.get()->tail);
    EXPECT_EQ(contents(b), (Vec{1, 3, 2}));
}

TEST_F(Wrapper, AHandleMayOutliveItsList)
{
    const long before = heap::live();
    released = 0;
    ko::node<int32_t> kept, given; // declared first, so destroyed after the list
    {
        ko::list<int32_t> counted(nullptr, release);
        counted.push_back(1);
        kept = counted.make_node(2);
        given = counted.make_node(3);
        ko_list_node_free(given.release());
    }
    EXPECT_EQ(released, 2) << "the list's elements went with it";
    EXPECT_EQ(heap::live() - before, 2 + 2) << "its record and count wait for the handle";
    EXPECT_EQ(*kept, 2);
    kept = {};
    EXPECT_EQ(released, 3) << "released through the list's releaser";
    EXPECT_EQ(heap::live(), before) << "the last holder freed the record";
}

TEST_F(Wrapper, RefusalIsANullOrFalseResult)
{
    Ints list = make({1});
    for (long nth : {1, 2}) { // the list record, then its count
        heap::refuse_nth(nth);
        Ints none;
        EXPECT_FALSE(none) << nth;
        EXPECT_FALSE(none.push_back(1) || none.make_node() || none.first());
        EXPECT_TRUE(none.empty() && none.begin() == none.end());
        EXPECT_EQ(none.position(list.begin()), 0);
        EXPECT_EQ(none.search([](int32_t) { return true; }).begin(), std::default_sentinel);
    }
    for (long nth : {1, 2}) { // the node record, then its data
        heap::refuse_nth(nth);
        EXPECT_FALSE(list.push_back(2)) << nth;
    }
    list.next(); // past the tail: no cursor to insert at, nor to move
    EXPECT_FALSE(list.insert_after(3) || list.insert_before(3) || list.move(1));
    EXPECT_EQ(contents(list), Vec{1});
}

TEST_F(Wrapper, IteratesAndMovesTheCursor)
{
    Ints list = make({3, 1, 4});
    const Ints &view = list;
    list.seek(1);
    for (int32_t &element : list)
        element *= 10;
    EXPECT_EQ(Vec(view.rbegin(), view.rend()), (Vec{40, 10, 30}));
    EXPECT_EQ(list.position(std::ranges::find(view, 40)), 2);
    EXPECT_EQ(list.position(view.end()), 3);
    EXPECT_EQ(*list.current(), 10) << "iterating left the cursor where it was";
    const std::pair<int32_t *, int32_t> landed[] = { // where each lands; -1 for nowhere
        {list.last(), 40}, {list.next(), -1}, {list.prev(), -1}, {list.first(), 30},
        {list.seek(5), -1}, {(list.move(5), list.current()), 40}, {list.prev(), 10}};
    for (size_t i = 0; i < std::size(landed); i++)
        EXPECT_EQ(landed[i].first != nullptr ? *landed[i].first : -1, landed[i].second) << i;
    EXPECT_TRUE(list.move(0) && list.move(-9) && list.current() == &*list.begin() && list.move(1));
    auto it = list.begin();
    EXPECT_TRUE(*it++ == 30 && *it-- == 10 && it == list.begin());
    EXPECT_TRUE(list.insert_after(25) && list.insert_before(5));
    EXPECT_TRUE(list.set_cursor(std::ranges::find(list, 25)));
    list.remove_current();
    EXPECT_EQ(*list.cursor(), 40);
    EXPECT_FALSE(list.set_cursor(list.end()));
    EXPECT_EQ(contents(list), (Vec{30, 5, 10, 40}));
}

TEST_F(Wrapper, SearchesLazily)
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
    EXPECT_EQ((it++, it.node()), std::next(list.begin(), 2).node()) << "found on demand";
    EXPECT_EQ(++it, std::default_sentinel);
    EXPECT_EQ(*list.current(), 7) << "no search moves the cursor";
}

struct Cell {
    int32_t value;
    bool even;
    bool odd() const { return !even; }
};
bool even_cell(const Cell &c) { return c.even; }

TEST_F(Wrapper, SearchTakesEveryPredicate)
{
    ko::list<Cell> cells;
    for (int32_t v : {4, 7, 6, 9, 8})
        ASSERT_TRUE(cells.push_back(Cell{v, v % 2 == 0}));
    auto found = [&cells](auto &&pred) {
        Vec values;
        for (const Cell &c : cells.search(std::forward<decltype(pred)>(pred)))
            values.push_back(c.value);
        return values;
    };
    const Vec evens{4, 6, 8};
    std::function<bool(const Cell &)> wrapped = even_cell;
    auto every_other = [] { return [n = 0](const Cell &) mutable { return n++ % 2 == 0; }; };
    auto counting = every_other();
    EXPECT_EQ(found(even_cell), evens);
    EXPECT_EQ(found(&even_cell), evens);
    EXPECT_EQ(found(&Cell::even), evens);
    EXPECT_EQ(found(&Cell::odd), (Vec{7, 9}));
    EXPECT_EQ(found(wrapped), evens);
    EXPECT_EQ(found(every_other()), evens) << "a mutable lambda, by value";
    EXPECT_EQ(found(counting), evens) << "a mutable lambda, by reference";
    EXPECT_EQ(found(counting), (Vec{7, 9})) << "it went on counting";
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

template <class Cmp> Vec sorted(std::initializer_list<int32_t> elements, Cmp cmp)
{
    Ints list = make(elements);
    list.sort(cmp);
    return contents(list);
}

TEST_F(Wrapper, SortsByAnyComparison)
{
    constexpr int32_t lo = INT32_MIN, hi = INT32_MAX;
    const auto wide = [](const int32_t &a, const int32_t &b) { return int64_t{a} - b; };
    const auto by3 = [](const int32_t &a, const int32_t &b) { return int64_t{a % 3} - b % 3; };
    EXPECT_EQ(sorted({3, 1, 2, 5, 4}, std::less<>{}), (Vec{1, 2, 3, 4, 5}));
    EXPECT_EQ(sorted({3, 1, 2, 5, 4}, std::greater<>{}), (Vec{5, 4, 3, 2, 1}));
    EXPECT_EQ(sorted({3, 1, 2, 5, 4}, std::compare_three_way{}), (Vec{1, 2, 3, 4, 5}));
    EXPECT_EQ(sorted({3, hi, 2, lo, 1}, wide), (Vec{lo, 1, 2, 3, hi})) << "not cut to 32 bits";
    EXPECT_EQ(sorted({1, 4, 2, 5}, by3), (Vec{1, 4, 2, 5})) << "a tie is not out of order";
    int32_t k = 3; // not a constant: the lambda below must capture it
    const auto by = [](int32_t m) { return [m](int32_t v) { return v % m; }; };
    EXPECT_TRUE(std::ranges::is_sorted(
        sorted({3, 1, 2, 5, 4}, [k](const int32_t &a, const int32_t &b) { return a % k - b % k; }),
        {}, by(k)));
    Ints list = make({3, 1, 2, 5, 4}), other = make({7, 6, 9, 8});
    heap::watch([](char kind, const void *, size_t) { heap_requests += kind == 'm' ? 1 : 0; });
    list.sort(ByRemainder{k, &other});
    heap::watch(nullptr);
    EXPECT_TRUE(std::ranges::is_sorted(contents(list), {}, by(k))) << "restored after inner sorts";
    EXPECT_TRUE(std::ranges::is_sorted(contents(other), {}, by(2)));
    EXPECT_EQ(heap_requests, 0) << "sorting allocates nothing";
    EXPECT_EQ(list.current(), &*list.begin()) << "the cursor ends on the first";
}

} // namespace

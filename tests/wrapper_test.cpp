// SPDX-License-Identifier: MIT
// koList.hpp: ownership counted in heap blocks, handles that outlive their
// list, refusals, iteration, the cursor, search by any predicate and sort by
// any comparison.
#include "koList.hpp"
#include "support.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <functional>
#include <random>
#include <ranges>
#include <vector>

namespace {

using Wrapper = Balanced;
using Ints = ko::list<int32_t>;
using Vec = std::vector<int32_t>;
using std::erase_if; // as generic code does: ko::erase_if comes by argument-dependent lookup
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

int32_t same(const void *a, const void *b) { return std::memcmp(a, b, sizeof(int32_t)); }
void *misaligned(int32_t size) { return static_cast<char *>(std::malloc(size_t(size) + 8)) + 4; }
int32_t release_misaligned(void *data) { return std::free(static_cast<char *>(data) - 4), 0; }
int released = 0;
int32_t release(void *data) { return released++, std::free(data), 0; }

TEST_F(Wrapper, OwnsItsListAndNodes)
{
    const long before = heap::live();
    Ints a = make({1, 2, 3}), b = make({9}), other = make({7});
    EXPECT_EQ(heap::live() - before, 3 * 2 + 2 * 5) << "2 blocks a list (record, count), 2 a node";
    b = std::move(a);
    EXPECT_EQ(heap::live() - before, 2 * 2 + 2 * 4) << "b's old list went back to the heap";
    ko::node<int32_t> kept = b.make_node(4), stray = other.make_node(8);
    EXPECT_FALSE(b.push_back(std::move(stray)) || other.push_back(b.make_node(5)))
        << "a node only joins its own list";
    EXPECT_TRUE(stray) << "a refused node stays with its handle";
    EXPECT_TRUE(b.insert_before(std::move(kept)) && !kept);
    const auto at = std::next(b.begin(), 2);
    ko::node<int32_t> out = b.detach(at);
    ASSERT_TRUE(out && *out == 2);
    EXPECT_FALSE(b.detach(at)) << "a node already out is not handed out again";
    EXPECT_EQ(*b.erase(b.begin()), 1);
    EXPECT_FALSE(b.detach(b.end()) || b.detach(other.begin()) || other.detach(b.begin()));
    EXPECT_EQ(contents(b), (Vec{1, 3}));
    // Linked through the C operations, a node is given up with release().
    ASSERT_EQ(ko_list_add(b.get(), out.get()), 0);
    EXPECT_EQ(out.release(), b.get()->tail);
    EXPECT_EQ(contents(b), (Vec{1, 3, 2}));
}

// release() gives a node up only while another holder keeps its list
// record: the memcheck run sees any read of a record freed too early, the
// reads inside the library included.
TEST_F(Wrapper, AHandleMayOutliveItsList)
{
    const long before = heap::live();
    released = 0;
    ko::node<int32_t> given, last; // declared first, so destroyed after the list
    {
        ko::list<int32_t> counted(nullptr, release);
        counted.push_back(1);
        given = counted.make_node(3);
        last = counted.make_node(4);
    }
    EXPECT_EQ(released, 1) << "the list's elements went with it";
    EXPECT_EQ(heap::live() - before, 2 + 2 * 2) << "its record and count wait for the handles";
    ko_list_node_free(given.release()); // another handle still holds the record
    EXPECT_EQ(released, 2) << "given up, and released through the list's releaser";
    EXPECT_EQ(last.release(), nullptr) << "the last holder keeps its node";
    ASSERT_EQ(ko_list_add(last.get()->list, last.get()), 0);
    EXPECT_TRUE(last.release() == nullptr && *last == 4) << "linked or not";
    last = {};
    EXPECT_EQ(released, 3);
    EXPECT_EQ(heap::live(), before) << "the last holder freed the node and the record";
}

TEST_F(Wrapper, RefusalIsANullOrFalseResult)
{
    Ints list = make({1});
    for (long nth : {1, 2}) { // the list record, then its count
        heap::refuse_nth(nth);
        Ints none;
        EXPECT_FALSE(none) << nth;
        EXPECT_FALSE(none.push_back(1) || none.push_front(1) || none.make_node() ||
                     none.cursor_first() || none.front() || none.pop_front() || none.pop_back());
        EXPECT_TRUE(none.empty() && none.begin() == none.end() && --none.end() == none.end());
        EXPECT_EQ(none.position(list.begin()), 0);
        EXPECT_TRUE(none.search([](int32_t) { return true; }).begin() == std::default_sentinel &&
                    list.search(std::identity(), ko::direction{2}).begin() == std::default_sentinel);
    }
    for (long nth : {1, 2}) // the node record, then its data
        EXPECT_FALSE((heap::refuse_nth(nth), list.push_back(2))) << nth;
    list.cursor_next(); // past the tail: no cursor to insert at, nor to move
    EXPECT_FALSE(list.insert_after(3) || list.insert_before(3) || list.move(1));
    ko::list<double> skewed(misaligned, release_misaligned); // for a double
    EXPECT_FALSE(skewed.make_node() || skewed.push_back(1) || skewed.push_front(1)) << "no leak";
    EXPECT_EQ(contents(list), Vec{1});
}

TEST_F(Wrapper, IteratesAndMovesTheCursor)
{
    Ints list = make({3, 1, 4});
    const Ints &view = list;
    list.cursor_seek(1);
    for (int32_t &element : list)
        element *= 10;
    EXPECT_EQ(Vec(view.rbegin(), view.rend()), (Vec{40, 10, 30}));
    EXPECT_EQ(list.position(std::ranges::find(view, 40)), 2);
    EXPECT_EQ(list.position(view.end()), 3);
    EXPECT_EQ(*list.current(), 10) << "iterating left the cursor where it was";
    const std::pair<int32_t *, int32_t> landed[] = { // where each lands; -1 for nowhere
        {list.cursor_last(), 40}, {list.cursor_next(), -1}, {list.cursor_prev(), -1},
        {list.cursor_first(), 30}, {list.cursor_seek(5), -1},
        {(list.move(5), list.current()), 40}, {list.cursor_prev(), 10}};
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

// Each change at an end and erase_if(), from the cursor on the 3 and from
// none, leave the cursors (the C search's on the 4) and iterators in place.
TEST_F(Wrapper, ChangesAtTheEndsLeaveTheCursors)
{
    const std::pair<bool (*)(Ints &), Vec> changes[] = {
        {[](Ints &l) { return l.push_front(l.make_node(0)); }, {0, 1, 2, 3, 4, 5}},
        {[](Ints &l) { return *l.front() == 1 && l.pop_front(); }, {2, 3, 4, 5}},
        {[](Ints &l) { return *std::as_const(l).back() == 5 && l.pop_back(); }, {1, 2, 3, 4}},
        {[](Ints &l) { return erase_if(l, [n = 0](int) mutable { return n++ % 3 == 1; }) == 2; },
         {1, 3, 4}}};
    for (int32_t on : {3, 0})
        for (const auto &[op, kept] : changes) {
            Ints l = make({1, 2, 3, 4, 5});
            std::vector<Ints::iterator> at(5);
            std::generate(at.begin(), at.end(), [it = l.begin()]() mutable { return it++; });
            EXPECT_TRUE(l.cursor_seek(on - 1) || !l.cursor_prev());
            EXPECT_TRUE(ko_list_search(l.get(), same, &*at[3], 0) && op(l) && contents(l) == kept);
            EXPECT_EQ(l.current() != nullptr ? *l.current() : 0, on);
            EXPECT_EQ(l.get()->search_node, at[3].node());
            for (int32_t v : kept)
                EXPECT_TRUE(v == 0 || *at[size_t(v) - 1] == v);
        }
    Ints a = make({1, 2}), b;
    EXPECT_TRUE(a.pop_front() && *a.current() == 2 && a.pop_back() && !a.current());
    EXPECT_TRUE(b.push_front(2) && !b.current() && b.push_front(1) && *b.back() == 2);
    EXPECT_TRUE(!erase_if(a, std::identity()) && erase_if(b, std::identity()) == 2 && b.empty());
}

// A key, and where the element stood: what predicates and comparisons see.
struct Keyed {
    int32_t key;
    int32_t was;
    bool odd() const { return key % 2 != 0; }
    bool less(const Keyed &other) const { return key < other.key; }
    bool operator==(const Keyed &) const = default;
    int operator<(const Keyed &other) const { return key < other.key; } // as before C++20
};
bool even(const Keyed &k) { return k.key % 2 == 0; }
bool keyed_less(const Keyed &a, const Keyed &b) { return a < b; }
const bool &less_by_ref(const Keyed &a, const Keyed &b) { static bool r; return r = a < b; }
bool coin(const Keyed &, const Keyed &) { static std::minstd_rand r; return r() % 2 != 0; }

// Matches found one at a time, each element tested once, the predicate kept
// by reference or by value, whatever kind of callable it is.
TEST_F(Wrapper, SearchesLazilyByAnyPredicate)
{
    ko::list<Keyed> cells;
    for (int32_t v : {4, 7, 6, 9, 8})
        ASSERT_TRUE(cells.push_back(Keyed{v, static_cast<int32_t>(cells.size())}));
    cells.cursor_seek(1);
    auto found = [&cells](auto &&pred, ko::direction dir = ko::direction::forward) {
        Vec values;
        for (const Keyed &c : cells.search(std::forward<decltype(pred)>(pred), dir))
            values.push_back(c.key);
        return values;
    };
    int calls = 0;
    const auto big = [&calls](const Keyed &c) { return ++calls, c.key > 6; };
    EXPECT_EQ(found(big, ko::direction::backward), (Vec{8, 9, 7}));
    EXPECT_EQ(calls, 5);
    const Vec evens{4, 6, 8};
    std::function<bool(const Keyed &)> wrapped = even;
    auto every_other = [] { return [n = 0](const Keyed &) mutable { return n++ % 2 == 0; }; };
    auto counting = every_other();
    EXPECT_EQ(found(even), evens);
    EXPECT_EQ(found(&even), evens);
    EXPECT_EQ(found(&Keyed::was), (Vec{7, 6, 9, 8})) << "a data member, tested as bool";
    EXPECT_EQ(found(&Keyed::odd), (Vec{7, 9}));
    EXPECT_EQ(found(wrapped), evens);
    EXPECT_EQ(found(every_other()), evens) << "a mutable lambda, by value";
    EXPECT_EQ(found(counting), evens) << "a mutable lambda, by reference";
    EXPECT_EQ(found(counting), (Vec{7, 9})) << "it went on counting";
    Vec pairs, expected; // nested searches against nested std::find_if loops
    for (const Keyed &a : cells.search(even))
        for (const Keyed &b : cells.search(big, ko::direction::backward))
            pairs.push_back(a.key * 10 + b.key);
    for (auto a = cells.begin(); (a = std::find_if(a, cells.end(), even)) != cells.end(); a++)
        for (auto b = cells.rbegin(); (b = std::find_if(b, cells.rend(), big)) != cells.rend(); b++)
            expected.push_back(a->key * 10 + b->key);
    EXPECT_EQ(pairs, expected);
    auto small = cells.search([below = 7](const Keyed &c) { return c.key < below; });
    auto it = small.begin();
    EXPECT_EQ(it.node(), cells.begin().node());
    EXPECT_EQ((++cells.search(&Keyed::odd).begin()).node(), std::prev(cells.end(), 2).node())
        << "another range started and left halfway";
    EXPECT_EQ((it++, it.node()), std::next(cells.begin(), 2).node()) << "found on demand";
    EXPECT_EQ(++it, std::default_sentinel);
    EXPECT_EQ(cells.current()->key, 7) << "no search moves the cursor";
}

long heap_requests = 0;

// Every kind of comparison (the default over an int operator<, a "less" returning
// const bool &, a three-way result too wide for 32 bits), on lists of every length up
// to 40 and a few longer, whose keys repeat: the order of std::stable_sort, in at most
// n * ceil(log2 n) comparisons, allocating nothing. Nodes are relinked: iterators and the
// C search cursor follow their elements; the chain holds both ways, strict weak order or not.
TEST_F(Wrapper, SortsStablyByAnyComparison)
{
    long compared = 0;
    ko::list<Keyed> *sorting = nullptr;
    const auto counted = [&](const Keyed &a, const Keyed &b) { // reads the list, moves its cursor
        EXPECT_EQ(size_t(sorting->position(std::prev(sorting->end())) + 1), sorting->size());
        sorting->cursor_seek(static_cast<int32_t>(size_t(compared++) % sorting->size()));
        return a.key < b.key;
    };
    const auto ordering = [](const Keyed &a, const Keyed &b) { return a.key <=> b.key; };
    const auto wide = [](const Keyed &a, const Keyed &b) { return int64_t{a.key - b.key} << 32; };
    std::minstd_rand random(1);
    for (int32_t n = 0; n <= 300; n += n < 40 ? 1 : 65) {
        SCOPED_TRACE(n);
        std::vector<Keyed> input;
        for (int32_t i = 0; i < n; i++)
            input.push_back({static_cast<int32_t>(random() % 8), i});
        std::vector<Keyed> stable = input;
        std::ranges::stable_sort(stable, {}, &Keyed::key);
        const auto sorted_by = [&](auto... cmp) {
            ko::list<Keyed> list;
            for (const Keyed &k : input)
                list.push_back(k);
            const auto middle = std::next(list.begin(), n / 2);
            const ko_list_node *first = ko_list_search(list.get(), same, input.data(), 0); // was 0
            compared = 0;
            sorting = &list;
            heap::watch([](char kind, const void *, size_t) { heap_requests += kind == 'm'; });
            list.sort(cmp...);
            heap::watch(nullptr);
            EXPECT_TRUE(n == 0 || (middle->was == n / 2 && list.size() == size_t(n) &&
                                   list.get()->search_node == first &&
                                   list.current() == &*list.begin()));
            std::vector<Keyed> order(list.begin(), list.end());
            EXPECT_TRUE(std::equal(list.rbegin(), list.rend(), order.rbegin()));
            return order;
        };
        EXPECT_EQ(sorted_by(counted), stable);
        EXPECT_LE(compared, n * static_cast<long>(std::bit_width(uint32_t(std::max(n - 1, 0)))));
        for (const auto &order :
             {sorted_by(keyed_less), sorted_by(&keyed_less), sorted_by(&Keyed::less),
              sorted_by(std::function<bool(const Keyed &, const Keyed &)>(keyed_less)),
              sorted_by(ordering), sorted_by(wide), sorted_by(), sorted_by(less_by_ref)})
            EXPECT_EQ(order, stable);
        EXPECT_TRUE(std::ranges::is_permutation(sorted_by(coin), input)) << "no strict weak order";
    }
    EXPECT_EQ(heap_requests, 0) << "sorting allocates nothing";
}

} // namespace

// SPDX-License-Identifier: MIT
// koList for C++: a typed, owning, header-only interface over the C library.
//
//   ko::list<T>  owns a ko_list of trivially copyable T (sizeof(T) bytes per
//                element); move-only. Its destructor releases the elements.
//   ko::node<T>  owns an unlinked node; its destructor releases the node.
//
// All noexcept: a refused allocation is a null or false result, as in C; a
// list whose record was refused (see operator bool) stays empty. Predicates
// and comparisons are callbacks: "Ownership and callbacks" in koList.h holds
// for them. A ko::list and the node handles made from it share the
// list record, which the last of them frees: a handle may outlive its list.
// Iterators leave the list's cursor alone; the cursor operations move it.
// An iterator stays on its element, also through sort(), which relinks
// nodes. Searches keep their state in their own iterators: any number may
// run at once on one list, but no element may be unlinked while they walk.
#ifndef KOLIST_HPP
#define KOLIST_HPP

#if __cplusplus < 202002L
#error "koList.hpp needs C++20 (-std=c++20); C programs include koList.h"
#else

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <type_traits>
#include <utility>

#include "koList.h"

namespace ko {

enum class direction : std::int32_t {
    forward = KO_LIST_SEARCH_FORWARD,
    backward = KO_LIST_SEARCH_BACKWARD,
};

template <class T> class list;

namespace detail {

// A counted hold on a list record, kept by a ko::list and by each node
// handle made from it: the record lives while any of them does, so a handle
// can still release its node (the release reads the list's releaser) after
// its ko::list is gone. The last holder frees the record with ko_list_free.
// The count is a plain integer: a list and its handles are used by one
// thread at a time, as in C.
class hold {
public:
    hold() noexcept = default;
    // Takes over `list`; when the heap refuses the count, frees it and holds
    // nothing.
    explicit hold(ko_list *list) noexcept
        : s_(list != nullptr ? static_cast<share *>(std::malloc(sizeof(share))) : nullptr)
    {
        if (s_ != nullptr)
            *s_ = share{list, 1};
        else
            ko_list_free(list);
    }
    hold(const hold &other) noexcept : s_(other.s_)
    {
        if (s_ != nullptr)
            s_->holders++;
    }
    hold(hold &&other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    hold &operator=(hold other) noexcept { std::swap(s_, other.s_); return *this; }
    ~hold()
    {
        if (s_ != nullptr && --s_->holders == 0) {
            ko_list_free(s_->list);
            std::free(s_);
        }
    }

    ko_list *list() const noexcept { return s_ != nullptr ? s_->list : nullptr; }
    // Whether another holder keeps the record alive after this one.
    bool shared() const noexcept { return s_ != nullptr && s_->holders > 1; }

private:
    struct share {
        ko_list *list;
        std::size_t holders;
    };
    share *s_ = nullptr;
};

// The default comparison of sort(): `a < b` taken as a "less" whatever type
// operator< returns. std::less<> would hand on an int (from code older than
// C++20), which sort() takes as a three-way result: a descending order.
struct less {
    template <class U>
        requires requires(const U &a) { static_cast<bool>(a < a); }
    bool operator()(const U &a, const U &b) const noexcept { return static_cast<bool>(a < b); }
};

} // namespace detail

// An unlinked node and its element, owned by the handle, which holds the
// node's list record: it may outlive its ko::list. Linking it through a list
// takes it over; a refused link leaves it with the handle. A node linked
// some other way (through get() and the C operations) must be given up with
// release() at once: the list owns it from then on.
template <class T> class node {
public:
    node() noexcept = default;
    node(node &&other) noexcept
        : n_(std::exchange(other.n_, nullptr)), record_(std::move(other.record_)) {}
    node &operator=(node other) noexcept
    {
        std::swap(n_, other.n_);
        std::swap(record_, other.record_);
        return *this;
    }
    ~node() { ko_list_node_free(n_); }

    explicit operator bool() const noexcept { return n_ != nullptr; }
    T &operator*() const noexcept { return *static_cast<T *>(n_->data); }
    T *operator->() const noexcept { return static_cast<T *>(n_->data); }
    ko_list_node *get() const noexcept { return n_; }
    // Gives the node up, and with it the handle's hold on the list record.
    // Null when the handle is the record's last holder (its ko::list and the
    // list's other handles are gone): the record would go with the hold, and
    // a node cannot outlive its list. The handle then keeps the node, linked
    // or not, and releases it and the record when it goes.
    ko_list_node *release() noexcept
    {
        if (!record_.shared())
            return nullptr;
        detail::hold dropped = std::move(record_);
        return std::exchange(n_, nullptr);
    }

private:
    friend class list<T>;
    node(ko_list_node *n, const detail::hold &record) noexcept : n_(n), record_(record) {}
    ko_list_node *n_ = nullptr;
    detail::hold record_; // n_'s list record, for as long as n_ is held
};

template <class T> class list {
    static_assert(std::is_trivially_copyable_v<T>, "elements are copied as bytes");
    static_assert(sizeof(T) <= INT32_MAX, "element size must fit in int32_t");
    static_assert(alignof(T) <= alignof(std::max_align_t), "the heap aligns to max_align_t");

public:
    template <class V> class iter;    // bidirectional, over V & (V is T or const T)
    template <class P> class matches; // the lazy range of search()
    using value_type = T;
    using iterator = iter<T>;
    using const_iterator = iter<const T>;
    using reverse_iterator = std::reverse_iterator<iterator>;
    using const_reverse_iterator = std::reverse_iterator<const_iterator>;

    // A new empty list; element data comes from `alloc` (else zero-filled
    // from the heap), aligned for T or refused (see make_node()), and goes
    // back through `release` (else to the heap).
    explicit list(ko_list_alloc_fn alloc = nullptr, ko_list_free_fn release = nullptr,
                  void *spare = nullptr) noexcept
        : record_(ko_list_new(static_cast<std::int32_t>(sizeof(T)), spare, alloc, release)) {}
    list(list &&) noexcept = default;
    list &operator=(list other) noexcept { std::swap(record_, other.record_); return *this; }
    // Releases the elements now; the record goes with the last node handle.
    ~list() { clear(); }

    explicit operator bool() const noexcept { return get() != nullptr; }
    ko_list *get() const noexcept { return record_.list(); }
    std::size_t size() const noexcept
    {
        return static_cast<std::size_t>(ko_list_get_nodes(get()));
    }
    bool empty() const noexcept { return head() == nullptr; }
    void clear() noexcept { ko_list_clean(get()); }

    // ---- Nodes and linking: false when refused ----
    // Element data must be aligned for T, as the heap aligns it: data that
    // an allocator returned misaligned is refused, released at once through
    // the library (and so through the list's releaser), and nothing is lost.
    node<T> make_node() noexcept
    {
        ko_list_node *n = ko_list_node_new(get());
        if (n != nullptr && reinterpret_cast<std::uintptr_t>(n->data) % alignof(T) != 0) {
            ko_list_node_free(n);
            n = nullptr;
        }
        return handle(n);
    }
    node<T> make_node(const T &value) noexcept
    {
        node<T> n = make_node();
        if (n)
            std::memcpy(n.n_->data, &value, sizeof(T));
        return n;
    }
    // push_front() never moves the cursor: on an empty list it stays null.
    // push_back() is ko_list_add, insert_after() and insert_before() are
    // ko_list_insert beside the cursor: on an empty list each of these puts
    // the cursor on the new element, unlike push_front(); on any other list
    // the cursor stays on its element.
    bool push_front(const T &value) noexcept { return push_front(make_node(value)); }
    bool push_back(const T &value) noexcept { return push_back(make_node(value)); }
    bool insert_after(const T &value) noexcept { return insert_after(make_node(value)); }
    bool insert_before(const T &value) noexcept { return insert_before(make_node(value)); }
    bool push_front(node<T> &&n) noexcept
    {
        // Before the first element, through the cursor, which goes back.
        ko_list_node *cursor = ko_list_get_current(get());
        ko_list_get_first(get());
        bool linked = link(n, KO_LIST_INSERT_BEFORE);
        put_cursor(cursor);
        return linked;
    }
    bool push_back(node<T> &&n) noexcept { return link(n, -1); }
    bool insert_after(node<T> &&n) noexcept { return link(n, KO_LIST_INSERT_AFTER); }
    bool insert_before(node<T> &&n) noexcept { return link(n, KO_LIST_INSERT_BEFORE); }

    // ---- The ends, not moving the cursor ----
    // front() and back() are the first and the last element, null when the
    // list is empty. pop_front() and pop_back() release them, false when it
    // is empty; the cursors move only off the element released, as
    // ko_list_node_detach moves them: the cursor to its successor (null
    // after the last), the C search's last match to its neighbour.
    T *front() noexcept { return data(head()); }
    T *back() noexcept { return data(tail()); }
    const T *front() const noexcept { return data(head()); }
    const T *back() const noexcept { return data(tail()); }
    bool pop_front() noexcept { return static_cast<bool>(detach(begin())); }
    bool pop_back() noexcept { return static_cast<bool>(detach(iterator(get(), tail()))); }

    // Unlinks the element at `it` into a handle; empty for end() or a node
    // of another list. erase() releases it and returns its successor.
    node<T> detach(const_iterator it) noexcept
    {
        bool mine = it.n_ != nullptr && it.n_->list == get();
        return mine && done(ko_list_node_detach(it.n_)) ? handle(it.n_) : node<T>();
    }
    iterator erase(const_iterator it) noexcept
    {
        ko_list_node *next = it.n_ != nullptr ? it.n_->next : nullptr;
        return detach(it) ? iterator(get(), next) : end();
    }

    // ---- Iteration, not moving the cursor ----
    iterator begin() noexcept { return iterator(get(), head()); }
    iterator end() noexcept { return iterator(get(), nullptr); }
    const_iterator begin() const noexcept { return const_iterator(get(), head()); }
    const_iterator end() const noexcept { return const_iterator(get(), nullptr); }
    reverse_iterator rbegin() noexcept { return reverse_iterator(end()); }
    reverse_iterator rend() noexcept { return reverse_iterator(begin()); }
    const_reverse_iterator rbegin() const noexcept { return const_reverse_iterator(end()); }
    const_reverse_iterator rend() const noexcept { return const_reverse_iterator(begin()); }

    // ---- The cursor: each returns the element it lands on, or null ----
    // Every name says "cursor": these move the list's cursor, where front(),
    // back() and the iterators only read.
    T *current() noexcept { return data(ko_list_get_current(get())); }
    T *cursor_first() noexcept { return data(ko_list_get_first(get())); }
    T *cursor_last() noexcept { return data(ko_list_get_tail(get())); }
    T *cursor_next() noexcept { return data(ko_list_get_next(get())); }
    T *cursor_prev() noexcept { return data(ko_list_get_prev(get())); }
    T *cursor_seek(std::int32_t position) noexcept
    {
        return data(ko_list_get_pos(get(), position));
    }
    bool move(std::int32_t count) noexcept { return done(ko_list_move_current(get(), count)); }
    bool set_cursor(const_iterator it) noexcept { return done(ko_list_set_current(get(), it.n_)); }
    iterator cursor() noexcept { return iterator(get(), ko_list_get_current(get())); }
    // Where `it` stands from the first element, as cursor positions count;
    // the element count for end() or a node of another list.
    // remove_current() releases the element at the cursor, which moves on to
    // its successor.
    std::int32_t position(const_iterator it) const noexcept
    {
        return it.n_ != nullptr && get() != nullptr ? ko_list_get_node_pos(get(), it.n_)
                                                    : ko_list_get_nodes(get());
    }
    void remove_current() noexcept { ko_list_remove(get()); }

    // The cursor operations' former names, read too easily as front() and
    // back() or as an iterator's steps; they go in the next release.
    [[deprecated("use cursor_first()")]] T *first() noexcept { return cursor_first(); }
    [[deprecated("use cursor_last()")]] T *last() noexcept { return cursor_last(); }
    [[deprecated("use cursor_next()")]] T *next() noexcept { return cursor_next(); }
    [[deprecated("use cursor_prev()")]] T *prev() noexcept { return cursor_prev(); }
    [[deprecated("use cursor_seek()")]] T *seek(std::int32_t i) noexcept { return cursor_seek(i); }

    // ---- Search and sort ----
    // The elements for which pred(element) holds, found lazily one by one,
    // first to last or last to first. No element may be unlinked while the
    // range is walked.
    template <class P>
        requires std::predicate<P &, const T &>
    matches<P> search(P &&pred, direction dir = direction::forward) noexcept
    {
        return matches<P>(get(), std::forward<P>(pred), dir);
    }

    // Ascending by a comparison of two `const T &`, anything std::invoke
    // calls (a lambda, capturing or not, a function or a pointer to one, a
    // pointer to a member function, a std::function): a "less", whose result
    // is a bool once references and const are removed (by default `a < b`,
    // made a bool whatever operator< returns), or any other result taken as
    // three-way (int, <=>), below 0 when the first goes first. It must be a
    // strict weak order; one that is not (a NaN among doubles, say) leaves
    // every element in the list and the chain whole, in an unspecified
    // order. Stable, with at most n*log2(n) comparisons, allocating nothing:
    // the nodes are relinked, so iterators, node pointers and the search
    // cursor follow their elements, as in a std::list. The cursor ends on
    // the first. (ko_list_sort, through get(), moves the elements between
    // nodes that stay in place instead, with n(n-1)/2 comparisons, and is
    // not stable.)
    template <class Cmp = detail::less>
        requires std::invocable<Cmp &, const T &, const T &>
    void sort(Cmp cmp = {}) noexcept
    {
        // Runs of sorted elements, each a stretch of the chain that ends
        // where the next begins, merged as a binary counter counts: two runs
        // of one length make one of twice that, and at the end all merge.
        // Their lengths are powers of two, each shorter than the one
        // before, so 32 cover any list.
        run runs[32];
        int depth = 0;
        for (ko_list_node *rest = head(); rest != nullptr;) {
            runs[depth++] = {rest, 1};
            rest = rest->next;
            for (; depth > 1; depth--) {
                run &earlier = runs[depth - 2];
                if (rest != nullptr && earlier.length != runs[depth - 1].length)
                    break;
                earlier = merge(cmp, earlier, runs[depth - 1]);
            }
        }
        ko_list_get_first(get());
    }

private:
    static bool done(std::int32_t status) noexcept { return status == 0; }
    static T *data(ko_list_node *n) noexcept { return n ? static_cast<T *>(n->data) : nullptr; }
    ko_list_node *head() const noexcept { return get() != nullptr ? get()->first : nullptr; }
    ko_list_node *tail() const noexcept { return get() != nullptr ? get()->tail : nullptr; }
    node<T> handle(ko_list_node *n) const noexcept { return n ? node<T>(n, record_) : node<T>(); }

    // Links the handle's node at the tail (where < 0) or at the cursor; the
    // list takes it over only when the library accepts it.
    bool link(node<T> &n, std::int32_t where) noexcept
    {
        bool linked = n && n.n_->list == get() &&
                      done(where < 0 ? ko_list_add(get(), n.n_)
                                     : ko_list_insert(get(), n.n_, where));
        if (linked)
            n.release();
        return linked;
    }

    // Puts the cursor back on `at`, a node linked in the list, or for null
    // one step past the last node, where the cursor is null.
    void put_cursor(ko_list_node *at) noexcept
    {
        if (at != nullptr) {
            ko_list_set_current(get(), at);
        } else {
            ko_list_get_tail(get());
            ko_list_get_next(get());
        }
    }

    // A stretch of the chain: its first node and its length.
    struct run {
        ko_list_node *head;
        std::int32_t length;
    };
    // Merges run `b` into run `a` just before it, in place: each node of `b`
    // that goes before the node of `a` it meets moves there. Of two equal
    // elements the one of `a` goes first. The list is whole at every
    // comparison, as koList.h promises callbacks.
    template <class Cmp> run merge(Cmp &cmp, run a, run b) noexcept
    {
        ko_list_node *outside = a.head->prev; // what comes before both
        ko_list_node *x = a.head;
        ko_list_node *y = b.head;
        for (std::int32_t in_a = a.length, in_b = b.length; in_a > 0 && in_b > 0;) {
            if (before(cmp, *data(y), *data(x))) {
                ko_list_node *next = y->next;
                move_before(y, x);
                y = next;
                in_b--;
            } else {
                x = x->next;
                in_a--;
            }
        }
        return {outside != nullptr ? outside->next : get()->first, a.length + b.length};
    }
    // Whether `later` goes before `earlier`: a "less" asked that way round,
    // a three-way result (int, <=>) when it puts `earlier` above `later`.
    template <class Cmp>
    static bool before(Cmp &cmp, const T &later, const T &earlier) noexcept
    {
        using result = std::remove_cvref_t<std::invoke_result_t<Cmp &, const T &, const T &>>;
        if constexpr (std::is_same_v<result, bool>)
            return std::invoke(cmp, later, earlier);
        else
            return std::invoke(cmp, earlier, later) > 0;
    }
    // Moves `n` from further on in its chain to just before `at`. The node
    // never leaves the chain: the links change but no node comes or goes,
    // so the count and the cursors, which stay on their nodes, hold as they
    // were. (A detach and an insert would move the cursors, and cost more.)
    static void move_before(ko_list_node *n, ko_list_node *at) noexcept
    {
        ko_list *l = n->list;
        n->prev->next = n->next; // `at` comes before n: n->prev is a node
        (n->next != nullptr ? n->next->prev : l->tail) = n->prev;
        n->prev = at->prev;
        n->next = at;
        (at->prev != nullptr ? at->prev->next : l->first) = n;
        at->prev = n;
    }

    detail::hold record_;
};

// A bidirectional iterator over the elements, T & or const T &.
template <class T> template <class V> class list<T>::iter {
public:
    using iterator_concept = std::bidirectional_iterator_tag;
    using iterator_category = std::bidirectional_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;

    iter() noexcept = default;
    template <class U>
        requires(std::is_const_v<V> && std::is_same_v<U, T>)
    iter(const iter<U> &other) noexcept : l_(other.l_), n_(other.n_) {}

    V &operator*() const noexcept { return *static_cast<V *>(n_->data); }
    V *operator->() const noexcept { return static_cast<V *>(n_->data); }
    ko_list_node *node() const noexcept { return n_; }

    iter &operator++() noexcept { n_ = n_->next; return *this; }
    // From end() to the last element; a list whose record was refused has none.
    iter &operator--() noexcept
    {
        n_ = n_ != nullptr ? n_->prev : l_ != nullptr ? l_->tail : nullptr;
        return *this;
    }
    iter operator++(int) noexcept { iter was = *this; ++*this; return was; }
    iter operator--(int) noexcept { iter was = *this; --*this; return was; }
    friend bool operator==(const iter &, const iter &) noexcept = default;

private:
    friend class list;
    template <class> friend class iter;
    iter(ko_list *l, ko_list_node *n) noexcept : l_(l), n_(n) {}
    ko_list *l_ = nullptr;
    ko_list_node *n_ = nullptr; // null at end()
};

// The matches of one search, an input range. Each iterator walks the chain
// itself, from its own last match, asking the predicate once per element
// it passes: ranges nest and interleave freely, a range abandoned halfway
// leaves nothing behind, and the C search state of the list (search_node,
// search_dir) is never touched. The range keeps the predicate, by reference
// for an lvalue, else by value, and calls it through std::invoke: a
// function, a pointer to one or to a member, a lambda, a std::function.
template <class T> template <class P> class list<T>::matches {
public:
    class iterator {
    public:
        using iterator_concept = std::input_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;

        iterator() noexcept = default;
        T &operator*() const noexcept { return *static_cast<T *>(n_->data); }
        ko_list_node *node() const noexcept { return n_; }
        // At the end, and for an iterator made empty, it stays there.
        iterator &operator++() noexcept
        {
            if (n_ != nullptr)
                n_ = r_->match_from(r_->step(n_));
            return *this;
        }
        void operator++(int) noexcept { ++*this; }
        bool operator==(std::default_sentinel_t) const noexcept { return n_ == nullptr; }

    private:
        friend class matches;
        iterator(matches *r, ko_list_node *n) noexcept : r_(r), n_(n) {}
        matches *r_ = nullptr;
        ko_list_node *n_ = nullptr; // the last match, null at the end
    };

    matches(ko_list *l, P &&pred, direction dir) noexcept
        : l_(l), pred_(std::forward<P>(pred)), dir_(dir) {}
    // Starts a walk from the end the direction says, as the list is now; a
    // direction that is neither, like ko_list_search, finds nothing.
    iterator begin() noexcept
    {
        ko_list_node *from = nullptr;
        if (l_ != nullptr && (forward() || dir_ == direction::backward))
            from = forward() ? l_->first : l_->tail;
        return iterator(this, match_from(from));
    }
    std::default_sentinel_t end() const noexcept { return {}; }

private:
    bool forward() const noexcept { return dir_ == direction::forward; }
    ko_list_node *step(ko_list_node *n) const noexcept { return forward() ? n->next : n->prev; }
    // The first match at `n` or beyond it, null when there is none.
    ko_list_node *match_from(ko_list_node *n) noexcept
    {
        while (n != nullptr && !std::invoke(pred_, std::as_const(*static_cast<T *>(n->data))))
            n = step(n);
        return n;
    }

    ko_list *l_;
    P pred_;
    direction dir_;
};

// Releases every element for which pred(element) holds, asking once per
// element, first to last; returns how many went. Found by argument-dependent
// lookup, so `using std::erase_if; erase_if(list, pred)` reaches it too. The
// cursors move only off the elements released, as pop_front() says.
template <class T, class P>
    requires std::predicate<P &, const T &>
std::size_t erase_if(list<T> &l, P pred) noexcept
{
    std::size_t erased = 0;
    for (auto it = l.begin(); it != l.end();) {
        if (std::invoke(pred, std::as_const(*it))) {
            it = l.erase(it);
            erased++;
        } else {
            ++it;
        }
    }
    return erased;
}

} // namespace ko

#endif // C++20
#endif // KOLIST_HPP

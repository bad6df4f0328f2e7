// SPDX-License-Identifier: MIT
// koList: the list store (records, linking, release) and the navigation over
// it (cursor, positions, search, sort).
//
// C++ inside, C outside: no exceptions, no RTTI, no operator new, nothing
// from the C++ runtime, and only the C library's headers, so that it builds
// where no C++ standard library exists (on musl). Every block comes from
// malloc and goes back through free, so a refusing heap is a null result the
// caller can see.
//
// Invariants kept by every operation on the arguments it accepts:
//  - `nodes` counts the nodes reachable from `first` along `next`; `first`
//    and `tail` are null exactly when `nodes` is 0;
//  - the chain is symmetric: a->next == b exactly when b->prev == a, and the
//    ends point to null;
//  - an unlinked node (`attached` 0) has null `prev` and `next`;
//  - `current` and `search_node` are null or on a node linked into this list.
//    Only ko_list_node_detach() takes a node out of a chain, and it moves
//    the cursors; every release of a linked node goes through it.

#include <stdlib.h>
#include <string.h>

// Everything declared by the public header is exported; the rest is hidden
// by -fvisibility=hidden.
#pragma GCC visibility push(default)
#include "koList.h"
#pragma GCC visibility pop

// An operation used inside another (attach, detach, node_free, clean) is
// kept out of line: inlined, each would be copied whole into its callers,
// hundreds of bytes of MIPS code for a few instructions per call.

namespace {

// Links `node` between the neighbours `prev` and `next` (either may be null
// for an end of the chain), which must be adjacent in `list`.
void link_between(ko_list *list, ko_list_node *node, ko_list_node *prev, ko_list_node *next)
{
    node->prev = prev;
    node->next = next;
    if (prev != nullptr)
        prev->next = node;
    else
        list->first = node;
    if (next != nullptr)
        next->prev = node;
    else
        list->tail = node;
    node->attached = 1;
    list->nodes++;
}

// The two ways along the chain. The cursor's moves and the search go
// through step(), so a walk is written once for both ways.
enum class way { to_tail, to_first };

ko_list_node *step(const ko_list_node *node, way toward)
{
    return toward == way::to_tail ? node->next : node->prev;
}

// A forward search walks toward the tail; any other `search_dir` value
// counts as backward, as it does when a match is unlinked.
way search_way(int32_t search_dir)
{
    return search_dir == KO_LIST_SEARCH_FORWARD ? way::to_tail : way::to_first;
}

// Element data from the heap, zero-filled. Allocation and fill stay two
// steps (the build keeps the compiler from fusing them into calloc), so an
// interposed malloc sees every block the library takes.
void *zeroed(size_t size)
{
    void *data = malloc(size);
    if (data != nullptr)
        memset(data, 0, size);
    return data;
}

} // namespace

ko_list *ko_list_new(int32_t data_size, void *spare, ko_list_alloc_fn data_alloc,
                     ko_list_free_fn data_free)
{
    if (data_size <= 0)
        return nullptr;
    auto *list = static_cast<ko_list *>(malloc(sizeof(ko_list)));
    if (list == nullptr)
        return nullptr;
    *list = ko_list{.first = nullptr,
                    .tail = nullptr,
                    .current = nullptr,
                    .search_node = nullptr,
                    .spare = spare,
                    .data_alloc = data_alloc,
                    .data_free = data_free,
                    .data_size = data_size,
                    .search_dir = KO_LIST_SEARCH_FORWARD,
                    .nodes = 0};
    return list;
}

ko_list_node *ko_list_node_new(ko_list *list)
{
    if (list == nullptr)
        return nullptr;
    auto *node = static_cast<ko_list_node *>(malloc(sizeof(ko_list_node)));
    if (node == nullptr)
        return nullptr;
    void *data = list->data_alloc != nullptr ? list->data_alloc(list->data_size)
                                             : zeroed(static_cast<size_t>(list->data_size));
    if (data == nullptr) {
        // The data never existed, so the list's releaser has nothing to see.
        free(node);
        return nullptr;
    }
    *node =
        ko_list_node{.list = list, .prev = nullptr, .next = nullptr, .attached = 0, .data = data};
    return node;
}

void *ko_list_node_get_data(const ko_list_node *node)
{
    return node != nullptr ? node->data : nullptr;
}

int32_t ko_list_get_nodes(const ko_list *list)
{
    return list != nullptr ? list->nodes : 0;
}

[[gnu::noinline]] int32_t ko_list_node_attach(ko_list_node *node)
{
    if (node == nullptr || node->attached != 0)
        return -1;
    ko_list *list = node->list;
    // After the tail, which is null on an empty list; there the node also
    // becomes the first cursor position.
    bool was_empty = list->nodes == 0;
    link_between(list, node, list->tail, nullptr);
    if (was_empty)
        list->current = node;
    return 0;
}

int32_t ko_list_add(ko_list *list, ko_list_node *node)
{
    // The list is only tested: a node always joins the list that made it.
    if (list == nullptr)
        return -1;
    return ko_list_node_attach(node);
}

int32_t ko_list_insert(ko_list *list, ko_list_node *node, int32_t position)
{
    if (node == nullptr || node->attached != 0 || node->list != list)
        return -1;
    // An empty list has no cursor to link at: the node joins it as attach does.
    if (list->nodes == 0)
        return ko_list_node_attach(node);
    ko_list_node *cursor = list->current;
    if (cursor == nullptr)
        return -1;
    if (position == KO_LIST_INSERT_AFTER)
        link_between(list, node, cursor, cursor->next);
    else if (position == KO_LIST_INSERT_BEFORE)
        link_between(list, node, cursor->prev, cursor);
    else
        return -1;
    return 0;
}

[[gnu::noinline]] int32_t ko_list_node_detach(ko_list_node *node)
{
    if (node == nullptr || node->attached == 0)
        return -1;
    ko_list *list = node->list;
    ko_list_node *prev = node->prev;
    ko_list_node *next = node->next;
    // The mirror of link_between(): a missing neighbour means an end.
    if (prev != nullptr)
        prev->next = next;
    else
        list->first = next;
    if (next != nullptr)
        next->prev = prev;
    else
        list->tail = prev;
    // The cursor moves on to the successor. The search cursor moves to the
    // neighbour in the search's way, which ko_list_search_next() steps past
    // before it compares: that neighbour is never examined.
    if (list->current == node)
        list->current = next;
    if (list->search_node == node)
        list->search_node = search_way(list->search_dir) == way::to_tail ? next : prev;
    node->prev = nullptr;
    node->next = nullptr;
    node->attached = 0;
    list->nodes--;
    return 0;
}

[[gnu::noinline]] void ko_list_node_free(ko_list_node *node)
{
    if (node == nullptr)
        return;
    // The unlink leaves the releaser as it is; reading it first makes the
    // smaller code.
    ko_list_free_fn data_free = node->list->data_free;
    // Unlink first, so the list is consistent while the releaser runs.
    if (node->attached != 0)
        ko_list_node_detach(node);
    if (data_free != nullptr)
        data_free(node->data);
    else
        free(node->data);
    free(node);
}

void ko_list_remove(ko_list *list)
{
    if (list != nullptr)
        ko_list_node_free(list->current);
}

[[gnu::noinline]] void ko_list_clean(ko_list *list)
{
    if (list == nullptr)
        return;
    // First to last, so the releaser sees the elements in list order. The
    // first node is linked, so each release unlinks it and `first` moves on:
    // the list is consistent whenever the releaser or the heap runs.
    while (list->nodes > 0)
        ko_list_node_free(list->first); // NOLINT(clang-analyzer-unix.Malloc)
}

void ko_list_free(ko_list *list)
{
    if (list == nullptr)
        return;
    ko_list_clean(list);
    free(list);
}

ko_list_node *ko_list_get_first(ko_list *list)
{
    if (list == nullptr)
        return nullptr;
    return list->current = list->first;
}

ko_list_node *ko_list_get_tail(ko_list *list)
{
    if (list == nullptr)
        return nullptr;
    return list->current = list->tail;
}

namespace {

// Steps the cursor once; past an end it becomes null, and stays null.
ko_list_node *step_current(ko_list *list, way toward)
{
    if (list == nullptr || list->current == nullptr)
        return nullptr;
    return list->current = step(list->current, toward);
}

} // namespace

ko_list_node *ko_list_get_next(ko_list *list)
{
    return step_current(list, way::to_tail);
}

ko_list_node *ko_list_get_prev(ko_list *list)
{
    return step_current(list, way::to_first);
}

ko_list_node *ko_list_get_current(const ko_list *list)
{
    return list != nullptr ? list->current : nullptr;
}

int32_t ko_list_set_current(ko_list *list, ko_list_node *node)
{
    if (node == nullptr || node->list != list || node->attached == 0)
        return -1;
    list->current = node;
    return 0;
}

int32_t ko_list_move_current(ko_list *list, int32_t count)
{
    if (list == nullptr)
        return -1;
    if (count == 0)
        return 0;
    if (list->current == nullptr)
        return -1;
    way toward = count > 0 ? way::to_tail : way::to_first;
    // The magnitude as unsigned, so INT_MIN has one too. Once the cursor
    // rests on an end node no step can move it, so the walk stops there.
    uint32_t steps = count > 0 ? static_cast<uint32_t>(count) : 0U - static_cast<uint32_t>(count);
    ko_list_node *node = list->current;
    for (ko_list_node *ahead = step(node, toward); steps > 0 && ahead != nullptr; steps--) {
        node = ahead;
        ahead = step(node, toward);
    }
    list->current = node;
    return 0;
}

ko_list_node *ko_list_get_pos(ko_list *list, int32_t position)
{
    if (list == nullptr || position < 0 || position >= list->nodes)
        return nullptr;
    // From the nearer end: `position` steps along `next` from the first
    // node, or `back` steps along `prev` from the tail. The link to follow is
    // a member pointer, so both walks are one loop of code.
    int32_t back = list->nodes - 1 - position;
    bool from_tail = back < position;
    ko_list_node *node = from_tail ? list->tail : list->first;
    ko_list_node *ko_list_node::*link = from_tail ? &ko_list_node::prev : &ko_list_node::next;
    for (int32_t steps = from_tail ? back : position; steps > 0; steps--)
        node = node->*link;
    return list->current = node;
}

int32_t ko_list_get_node_pos(const ko_list *list, const ko_list_node *node)
{
    if (list == nullptr || node == nullptr)
        return -1;
    // Two walks at once, from the first node along `next` and from the tail
    // along `prev`, one step each per round, until one meets the node or
    // they cross: the node count then, as the node is not in the chain. Only
    // the chain is read, never the node asked about, so a stale or foreign
    // handle is safe to ask about. The two walks are independent loads,
    // which the processor keeps in flight together.
    const ko_list_node *ahead = list->first;
    const ko_list_node *behind = list->tail;
    for (int32_t front = 0, back = list->nodes - 1; front <= back; front++, back--) {
        if (ahead == node)
            return front;
        if (behind == node)
            return back;
        ahead = ahead->next;
        behind = behind->prev;
    }
    return list->nodes;
}

ko_list_node *ko_list_node_get_prev(const ko_list_node *node)
{
    return node != nullptr ? node->prev : nullptr;
}

ko_list_node *ko_list_node_get_next(const ko_list_node *node)
{
    return node != nullptr ? node->next : nullptr;
}

namespace {

// Compares from `node` on, in the list's search direction. The first match
// becomes the search cursor; running off the end ends the search.
ko_list_node *search_from(ko_list *list, ko_list_node *node, ko_list_cmp_fn cmp, const void *key)
{
    way toward = search_way(list->search_dir);
    for (; node != nullptr; node = step(node, toward)) {
        if (cmp(node->data, key) == 0)
            return list->search_node = node;
    }
    list->search_dir = KO_LIST_SEARCH_DONE;
    return nullptr;
}

} // namespace

ko_list_node *ko_list_search(ko_list *list, ko_list_cmp_fn cmp, const void *key, int32_t direction)
{
    if (list == nullptr || cmp == nullptr)
        return nullptr;
    if (direction != KO_LIST_SEARCH_FORWARD && direction != KO_LIST_SEARCH_BACKWARD)
        return nullptr;
    list->search_dir = direction;
    ko_list_node *start = direction == KO_LIST_SEARCH_FORWARD ? list->first : list->tail;
    return search_from(list, start, cmp, key);
}

ko_list_node *ko_list_search_next(ko_list *list, ko_list_cmp_fn cmp, const void *key)
{
    if (list == nullptr || cmp == nullptr)
        return nullptr;
    // An ended search (or an unknown state) stays ended.
    bool running =
        list->search_dir == KO_LIST_SEARCH_FORWARD || list->search_dir == KO_LIST_SEARCH_BACKWARD;
    if (!running || list->search_node == nullptr) {
        list->search_dir = KO_LIST_SEARCH_DONE;
        return nullptr;
    }
    // Resume one step past the last match (or past the neighbour the search
    // cursor moved to when that match was unlinked).
    list->search_node = step(list->search_node, search_way(list->search_dir));
    return search_from(list, list->search_node, cmp, key);
}

int32_t ko_list_sort(ko_list *list, ko_list_cmp_fn cmp)
{
    ko_list_node *first = ko_list_get_first(list);
    if (first == nullptr || cmp == nullptr)
        return 0;
    // Insertion by exchange: before `later` is taken, the elements up to it
    // are in order; the pass carries the larger element of each exchange on
    // toward `later`, leaving `later`'s element at its place among them.
    for (ko_list_node *later = first->next; later != nullptr; later = later->next) {
        for (ko_list_node *earlier = first; earlier != later; earlier = earlier->next) {
            if (cmp(earlier->data, later->data) > 0) {
                void *data = earlier->data;
                earlier->data = later->data;
                later->data = data;
            }
        }
    }
    return 0;
}

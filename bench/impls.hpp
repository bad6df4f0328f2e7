// SPDX-License-Identifier: MIT
// The implementations the benchmark compares, behind one interface so that
// every workload (workloads.hpp) is written once:
//
//   KoImpl       koList, through its public API only: the library under test.
//   BaselineImpl the baseline: the same work written by hand in plain C
//                (baseline.c), built as a shared library of its own and called
//                through the same kind of boundary as koList, one call for
//                each koList call, with the same heap blocks per node (a
//                record of the size of ko_list_node plus a zero-filled
//                element) and the same comparison calls through a pointer.
//   GQueueImpl   GLib's GQueue, which a C programmer would take instead: a
//                GList link per element (from GLib's slice allocator) whose
//                pointer is the element, a zero-filled heap block of its own
//                as in koList. GQueue keeps no cursor: the caller's GList
//                pointer is one, moved by hand, and GLib fixes none up.
//   StdImpl      std::list<Elem>, the nearest standard alternative (one block
//                per node, element stored inline); its sort, std::list::sort,
//                is given a lambda, as ko::list::sort is.
//
// Each offers: push_back, walk, walk_inline, position, search, rewind, churn,
// sort.
//
// Beside them, KoCppImpl is koList through its C++ interface, ko::list<Elem>,
// with only what the sort table needs, ko::list::sort among it.
#pragma once

#include <glib.h>

#include <cstdint>
#include <iterator>
#include <list>

#include "baseline.h"
#include "koList.h"
#include "koList.hpp"

namespace bench {

// The element: a 16-byte record whose first field is the key.
struct Elem {
    int32_t key;
    int32_t payload[3];
};

inline int32_t key_of(const void *data) { return static_cast<const Elem *>(data)->key; }
inline void set_key(void *data, int32_t key) { static_cast<Elem *>(data)->key = key; }

// One step of the churn workload: insert an element before or after the
// cursor, move the cursor by `delta` (stopping at an end), then unlink and
// release the node under the cursor (which moves on to its successor, or to
// the first node when it was the tail).
struct Step {
    int32_t key;
    int32_t delta;
    bool before;
};

// Order-dependent digest of the elements, one multiply-add per element.
inline uint64_t mix(uint64_t digest, int32_t key)
{
    return digest * 31u + static_cast<uint32_t>(key);
}

// The walk a C caller writes over public records where a call per step costs
// too much: ko_list_node, hand_node and GList all have `next` and `data`.
template <class Node> uint64_t walk_links(const Node *n)
{
    uint64_t digest = 0;
    for (; n != nullptr; n = n->next)
        digest = mix(digest, key_of(n->data));
    return digest;
}

struct KoImpl {
    ko_list *list = ko_list_new(sizeof(Elem), nullptr, nullptr, nullptr);

    KoImpl() = default;
    KoImpl(const KoImpl &) = delete;
    KoImpl &operator=(const KoImpl &) = delete;
    ~KoImpl() { ko_list_free(list); }

    void push_back(int32_t key)
    {
        ko_list_node *node = ko_list_node_new(list);
        set_key(ko_list_node_get_data(node), key);
        ko_list_add(list, node);
    }
    uint64_t walk()
    {
        uint64_t digest = 0;
        for (ko_list_node *n = ko_list_get_first(list); n != nullptr; n = ko_list_get_next(list))
            digest = mix(digest, key_of(ko_list_node_get_data(n)));
        return digest;
    }
    uint64_t walk_inline() const { return walk_links(list->first); }
    int64_t position(int32_t pos)
    {
        return ko_list_get_node_pos(list, ko_list_get_pos(list, pos));
    }
    int64_t search(ko_list_cmp_fn cmp, const Elem *key)
    {
        int64_t found = 0;
        for (int32_t dir : {KO_LIST_SEARCH_FORWARD, KO_LIST_SEARCH_BACKWARD})
            for (ko_list_node *n = ko_list_search(list, cmp, key, dir); n != nullptr;
                 n = ko_list_search_next(list, cmp, key))
                found++;
        return found;
    }
    void rewind() { ko_list_get_first(list); }
    void churn(const Step *steps, size_t count)
    {
        for (const Step *s = steps; s != steps + count; s++) {
            ko_list_node *node = ko_list_node_new(list);
            set_key(ko_list_node_get_data(node), s->key);
            ko_list_insert(list, node, s->before ? KO_LIST_INSERT_BEFORE : KO_LIST_INSERT_AFTER);
            ko_list_move_current(list, s->delta);
            ko_list_node *gone = ko_list_get_current(list);
            ko_list_node_detach(gone);
            ko_list_node_free(gone);
            if (ko_list_get_current(list) == nullptr)
                ko_list_get_first(list);
        }
    }
    void sort(ko_list_cmp_fn cmp) { ko_list_sort(list, cmp); }
};

static_assert(sizeof(hand_node) == sizeof(ko_list_node), "the same node record size");

struct BaselineImpl {
    hand_list *list = hand_new(sizeof(Elem));

    BaselineImpl() = default;
    BaselineImpl(const BaselineImpl &) = delete;
    BaselineImpl &operator=(const BaselineImpl &) = delete;
    ~BaselineImpl() { hand_free(list); }

    void push_back(int32_t key)
    {
        hand_node *node = hand_node_new(list);
        set_key(hand_data(node), key);
        hand_append(list, node);
    }
    uint64_t walk()
    {
        uint64_t digest = 0;
        for (hand_node *n = hand_first(list); n != nullptr; n = hand_next(list))
            digest = mix(digest, key_of(hand_data(n)));
        return digest;
    }
    uint64_t walk_inline() const { return walk_links(list->first); }
    int64_t position(int32_t pos) { return hand_index(list, hand_at(list, pos)); }
    int64_t search(ko_list_cmp_fn cmp, const Elem *key)
    {
        int64_t found = 0;
        for (int backward : {0, 1})
            for (hand_node *n = hand_search(list, cmp, key, backward); n != nullptr;
                 n = hand_search_next(list, cmp, key))
                found++;
        return found;
    }
    void rewind() { hand_first(list); }
    void churn(const Step *steps, size_t count)
    {
        for (const Step *s = steps; s != steps + count; s++) {
            hand_node *node = hand_node_new(list);
            set_key(hand_data(node), s->key);
            hand_insert(list, node, s->before ? 1 : 0);
            hand_move(list, s->delta);
            hand_node *gone = hand_current(list);
            hand_unlink(gone);
            hand_node_free(gone);
            if (hand_current(list) == nullptr)
                hand_first(list);
        }
    }
    void sort(ko_list_cmp_fn cmp) { hand_sort(list, cmp); }
};

// GLib's sort passes its comparison user data, which this one ignores: the
// difference of the keys, as the others' comparison.
inline gint gqueue_difference(gconstpointer a, gconstpointer b, gpointer)
{
    return key_of(a) - key_of(b);
}

struct GQueueImpl {
    GQueue *queue = g_queue_new();
    GList *cur = nullptr;

    GQueueImpl() = default;
    GQueueImpl(const GQueueImpl &) = delete;
    GQueueImpl &operator=(const GQueueImpl &) = delete;
    ~GQueueImpl() { g_queue_free_full(queue, g_free); }

    static Elem *element(int32_t key)
    {
        Elem *e = g_new0(Elem, 1);
        e->key = key;
        return e;
    }
    void push_back(int32_t key) { g_queue_push_tail(queue, element(key)); }
    uint64_t walk()
    {
        uint64_t digest = 0;
        g_queue_foreach(
            queue,
            [](gpointer data, gpointer d) {
                *static_cast<uint64_t *>(d) = mix(*static_cast<uint64_t *>(d), key_of(data));
            },
            &digest);
        return digest;
    }
    uint64_t walk_inline() const { return walk_links(queue->head); }
    int64_t position(int32_t pos)
    {
        return g_queue_link_index(queue, g_queue_peek_nth_link(queue, static_cast<guint>(pos)));
    }
    int64_t search(ko_list_cmp_fn cmp, const Elem *key)
    {
        // Forward, GList's search resumes after the last match; backward,
        // GLib has no search, so the caller walks `prev` and compares.
        int64_t found = 0;
        for (GList *l = g_queue_find_custom(queue, key, cmp); l != nullptr;
             l = g_list_find_custom(l->next, key, cmp))
            found++;
        for (GList *l = queue->tail; l != nullptr; l = l->prev)
            found += cmp(l->data, key) == 0;
        return found;
    }
    void rewind() { cur = queue->head; }
    void churn(const Step *steps, size_t count)
    {
        for (const Step *s = steps; s != steps + count; s++) {
            if (s->before)
                g_queue_insert_before(queue, cur, element(s->key));
            else
                g_queue_insert_after(queue, cur, element(s->key));
            for (int32_t k = s->delta; k > 0 && cur->next != nullptr; k--)
                cur = cur->next;
            for (int32_t k = s->delta; k < 0 && cur->prev != nullptr; k++)
                cur = cur->prev;
            GList *gone = cur;
            cur = gone->next != nullptr ? gone->next : queue->head;
            g_free(gone->data);
            g_queue_delete_link(queue, gone);
        }
    }
    void sort(ko_list_cmp_fn) { g_queue_sort(queue, gqueue_difference, nullptr); }
};

// What the C++ lists share: the elements are values inside the nodes, and
// their merge sorts are given a lambda, which they call directly.
inline constexpr auto key_less = [](const Elem &a, const Elem &b) { return a.key < b.key; };

template <class List> struct Values {
    List list;

    void push_back(int32_t key) { list.push_back(Elem{key, {}}); }
    uint64_t walk()
    {
        uint64_t digest = 0;
        for (const Elem &e : list)
            digest = mix(digest, e.key);
        return digest;
    }
    void sort(ko_list_cmp_fn) { list.sort(key_less); }
};

using KoCppImpl = Values<ko::list<Elem>>;

struct StdImpl : Values<std::list<Elem>> {
    std::list<Elem>::iterator cur;

    uint64_t walk_inline() { return walk(); } // a walk with no calls already
    int64_t position(int32_t pos)
    {
        cur = std::next(list.begin(), pos);
        return std::distance(list.begin(), cur);
    }
    int64_t search(ko_list_cmp_fn cmp, const Elem *key)
    {
        int64_t found = 0;
        for (auto it = list.begin(); it != list.end(); ++it)
            found += cmp(&*it, key) == 0;
        for (auto it = list.rbegin(); it != list.rend(); ++it)
            found += cmp(&*it, key) == 0;
        return found;
    }
    void rewind() { cur = list.begin(); }
    void churn(const Step *steps, size_t count)
    {
        for (const Step *s = steps; s != steps + count; s++) {
            list.insert(s->before ? cur : std::next(cur), Elem{s->key, {}});
            for (int32_t k = s->delta; k > 0 && std::next(cur) != list.end(); k--)
                ++cur;
            for (int32_t k = s->delta; k < 0 && cur != list.begin(); k++)
                --cur;
            cur = list.erase(cur);
            if (cur == list.end())
                cur = list.begin();
        }
    }
};

} // namespace bench

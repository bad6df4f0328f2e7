// SPDX-License-Identifier: MIT
// The lists the benchmark compares, behind one interface (push_back, walk,
// walk_inline, position, search, rewind, churn, sort), so that each workload
// (workloads.hpp) is written once:
//   KoImpl       koList through its C API: the library under test;
//   BaselineImpl the same calls to baseline.c, the list written by hand;
//   GQueueImpl   GLib's GQueue, each element a zero-filled block of its own
//                as in koList; GQueue keeps no cursor, so the caller's GList
//                pointer is one, which GLib never fixes up;
//   StdImpl      std::list<Elem>, one block per node with the element inside;
//   KoCppImpl    koList through ko::list<Elem>, for the sort table only.
#pragma once

#include <glib.h>

#include <algorithm>
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

// A churn step: insert before or after the cursor, move it by `delta`
// (stopping at an end), then unlink and release the node under it, the
// cursor moving on to its successor (to the first node after the tail).
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

// The C lists are owned through a pointer, which a copy would free twice.
struct Owner {
    Owner() = default;
    Owner(const Owner &) = delete;
    Owner &operator=(const Owner &) = delete;
};

struct KoImpl : Owner {
    ko_list *list = ko_list_new(sizeof(Elem), nullptr, nullptr, nullptr);
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

struct BaselineImpl : Owner {
    hand_list *list = hand_new(sizeof(Elem));
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

struct GQueueImpl : Owner {
    GQueue *queue = g_queue_new();
    GList *cur = nullptr;
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
        auto match = [cmp, key](const Elem &e) { return cmp(&e, key) == 0; };
        return std::count_if(list.begin(), list.end(), match) +
               std::count_if(list.rbegin(), list.rend(), match);
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

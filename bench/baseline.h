/* SPDX-License-Identifier: MIT */
/*
 * The benchmark's baseline: the list a programmer would write by hand for one
 * program, a small shared library of its own, so that it is called across the
 * same kind of boundary as koList (through the PLT). It offers, call for
 * call, the operations the workloads make on koList, in the plainest C: no
 * handle is tested, the heap is assumed never to refuse, there are no caller
 * allocators or releasers. Each node is the same two heap blocks as a koList
 * node: a record of the size of ko_list_node, then a zero-filled element.
 */
#ifndef KOLIST_BENCH_BASELINE_H
#define KOLIST_BENCH_BASELINE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t (*hand_cmp_fn)(const void *a, const void *b);

typedef struct hand_list hand_list;
typedef struct hand_node hand_node;

struct hand_node {
    hand_list *owner;
    hand_node *prev;
    hand_node *next;
    int32_t attached;
    void *data;
};

struct hand_list {
    hand_node *first;
    hand_node *tail;
    hand_node *cur;   /* the cursor */
    hand_node *found; /* last match of the running search; NULL once it ended */
    int32_t size;     /* bytes per element */
    int32_t backward; /* direction of the running search */
};

hand_list *hand_new(int32_t size);
/* Releases every node, first to last, then the list. */
void hand_free(hand_list *list);

hand_node *hand_node_new(hand_list *list);
void *hand_data(const hand_node *node);
/* Releases an unlinked node. */
void hand_node_free(hand_node *node);

void hand_append(hand_list *list, hand_node *node);
/* Links next to the cursor, which must be on a node. */
void hand_insert(hand_list *list, hand_node *node, int before);
/* The cursor, if on the node, moves to its successor. */
void hand_unlink(hand_node *node);

hand_node *hand_first(hand_list *list);
/* Steps the cursor, which must be on a node, toward the tail. */
hand_node *hand_next(hand_list *list);
hand_node *hand_current(const hand_list *list);
/* Moves the cursor `count` steps (negative: backward), stopping at an end. */
void hand_move(hand_list *list, int32_t count);
/* The node at `pos`, which must be below the node count; it becomes current. */
hand_node *hand_at(hand_list *list, int32_t pos);
int32_t hand_index(const hand_list *list, const hand_node *node);

/* The first match from the first node (or from the tail, backward). */
hand_node *hand_search(hand_list *list, hand_cmp_fn cmp, const void *key, int backward);
/* The next match after the last one; NULL once the search has ended. */
hand_node *hand_search_next(hand_list *list, hand_cmp_fn cmp, const void *key);

/* The same exchange sort as koList's: cmp(earlier, later) > 0 swaps data. */
void hand_sort(hand_list *list, hand_cmp_fn cmp);

#ifdef __cplusplus
}
#endif

#endif

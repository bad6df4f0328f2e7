/* SPDX-License-Identifier: MIT */
/*
 * The hand-written baseline list (see baseline.h). Its internal steps are
 * static functions, so the library calls itself directly.
 */
#include "baseline.h"

#include <stdlib.h>

hand_list *hand_new(int32_t size)
{
    hand_list *list = malloc(sizeof *list);
    *list = (hand_list){.size = size};
    return list;
}

void hand_free(hand_list *list)
{
    hand_node *next;
    for (hand_node *node = list->first; node != NULL; node = next) {
        next = node->next;
        free(node->data);
        free(node);
    }
    free(list);
}

hand_node *hand_node_new(hand_list *list)
{
    hand_node *node = malloc(sizeof *node);
    node->owner = list;
    node->attached = 0;
    node->data = calloc(1, (size_t)list->size);
    return node;
}

void *hand_data(const hand_node *node)
{
    return node->data;
}

void hand_node_free(hand_node *node)
{
    free(node->data);
    free(node);
}

static void link_between(hand_list *list, hand_node *node, hand_node *prev, hand_node *next)
{
    node->prev = prev;
    node->next = next;
    if (prev != NULL)
        prev->next = node;
    else
        list->first = node;
    if (next != NULL)
        next->prev = node;
    else
        list->tail = node;
    node->attached = 1;
}

void hand_append(hand_list *list, hand_node *node)
{
    link_between(list, node, list->tail, NULL);
}

void hand_insert(hand_list *list, hand_node *node, int before)
{
    hand_node *cur = list->cur;
    if (before)
        link_between(list, node, cur->prev, cur);
    else
        link_between(list, node, cur, cur->next);
}

void hand_unlink(hand_node *node)
{
    hand_list *list = node->owner;
    hand_node *prev = node->prev;
    hand_node *next = node->next;
    if (prev != NULL)
        prev->next = next;
    else
        list->first = next;
    if (next != NULL)
        next->prev = prev;
    else
        list->tail = prev;
    if (list->cur == node)
        list->cur = next;
    node->attached = 0;
}

hand_node *hand_first(hand_list *list)
{
    return list->cur = list->first;
}

hand_node *hand_next(hand_list *list)
{
    return list->cur = list->cur->next;
}

hand_node *hand_current(const hand_list *list)
{
    return list->cur;
}

void hand_move(hand_list *list, int32_t count)
{
    hand_node *cur = list->cur;
    for (; count > 0 && cur->next != NULL; count--)
        cur = cur->next;
    for (; count < 0 && cur->prev != NULL; count++)
        cur = cur->prev;
    list->cur = cur;
}

hand_node *hand_at(hand_list *list, int32_t pos)
{
    hand_node *node = list->first;
    while (pos-- > 0)
        node = node->next;
    return list->cur = node;
}

int32_t hand_index(const hand_list *list, const hand_node *node)
{
    int32_t pos = 0;
    for (const hand_node *at = list->first; at != node; at = at->next)
        pos++;
    return pos;
}

/* Compares from `node` on in the running direction; remembers the match. */
static hand_node *find(hand_list *list, hand_node *node, hand_cmp_fn cmp, const void *key)
{
    int backward = list->backward;
    while (node != NULL && cmp(node->data, key) != 0)
        node = backward ? node->prev : node->next;
    return list->found = node;
}

hand_node *hand_search(hand_list *list, hand_cmp_fn cmp, const void *key, int backward)
{
    list->backward = backward;
    return find(list, backward ? list->tail : list->first, cmp, key);
}

hand_node *hand_search_next(hand_list *list, hand_cmp_fn cmp, const void *key)
{
    hand_node *last = list->found;
    if (last == NULL)
        return NULL;
    return find(list, list->backward ? last->prev : last->next, cmp, key);
}

void hand_sort(hand_list *list, hand_cmp_fn cmp)
{
    hand_node *first = list->first;
    if (first == NULL)
        return;
    for (hand_node *later = first->next; later != NULL; later = later->next)
        for (hand_node *earlier = first; earlier != later; earlier = earlier->next)
            if (cmp(earlier->data, later->data) > 0) {
                void *data = earlier->data;
                earlier->data = later->data;
                later->data = data;
            }
}

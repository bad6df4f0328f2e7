/* SPDX-License-Identifier: MIT */
/*
 * Every operation of koList.h, with the arguments it takes and those it
 * refuses. Results are printed as element values, counts and positions,
 * never as addresses, so the output is the same on every machine.
 */
#include <stdbool.h>
#include <stdio.h>
#include <stdlib.h>

#include "koList.h"

static bool refusing;    /* the allocator returns NULL while set */
static int32_t compared; /* calls of the sort's comparison */

static void *allocate(int32_t size)
{
    return refusing ? NULL : malloc((size_t)size);
}

/* Prints each element it releases, so that the order shows. */
static int32_t release(void *data)
{
    printf(" %d", (int)*(int32_t *)data);
    free(data);
    return 0;
}

static int32_t same(const void *data, const void *key)
{
    return *(const int32_t *)data == *(const int32_t *)key ? 0 : 1;
}

static int32_t ascending(const void *earlier, const void *later)
{
    int32_t a = *(const int32_t *)earlier, b = *(const int32_t *)later;
    compared++;
    return (a > b) - (a < b);
}

/* A new unlinked node holding `value`; NULL when it cannot be made. */
static ko_list_node *node_of(ko_list *list, int32_t value)
{
    ko_list_node *node = ko_list_node_new(list);
    if (node != NULL)
        *(int32_t *)ko_list_node_get_data(node) = value;
    return node;
}

static void print_int(const char *call, int32_t result)
{
    printf("%s: %d\n", call, (int)result);
}

/* A node of `list` as its element and position, or null. */
static void print_node(const ko_list *list, const char *call, const ko_list_node *node)
{
    if (node == NULL)
        printf("%s: null\n", call);
    else
        printf("%s: %d at %d\n", call, (int)*(const int32_t *)ko_list_node_get_data(node),
               (int)ko_list_get_node_pos(list, node));
}

/* The elements first to last, walked by the links to leave the cursor be. */
static void print_list(const ko_list *list)
{
    const char *space = "";
    printf("  list [");
    for (const ko_list_node *node = list->first; node != NULL; node = ko_list_node_get_next(node)) {
        printf("%s%d", space, (int)*(const int32_t *)ko_list_node_get_data(node));
        space = " ";
    }
    printf("]");
    print_node(list, ", current", ko_list_get_current(list));
}

int main(void)
{
    /* No list for elements of 0 bytes or less. */
    printf("ko_list_new(0): %s\n", ko_list_new(0, NULL, NULL, NULL) ? "a list" : "null");
    printf("ko_list_new(-1): %s\n", ko_list_new(-1, NULL, NULL, NULL) ? "a list" : "null");

    /* NULL handles: refused with NULL, 0 or -1, and the releases ignore them. */
    print_node(NULL, "ko_list_node_new(NULL)", ko_list_node_new(NULL));
    printf("ko_list_node_get_data(NULL): %s\n", ko_list_node_get_data(NULL) ? "data" : "null");
    print_int("ko_list_get_nodes(NULL)", ko_list_get_nodes(NULL));
    print_int("ko_list_node_attach(NULL)", ko_list_node_attach(NULL));
    print_int("ko_list_node_detach(NULL)", ko_list_node_detach(NULL));
    print_node(NULL, "ko_list_get_first(NULL)", ko_list_get_first(NULL));
    print_node(NULL, "ko_list_get_next(NULL)", ko_list_get_next(NULL));
    print_node(NULL, "ko_list_get_current(NULL)", ko_list_get_current(NULL));
    print_node(NULL, "ko_list_get_pos(NULL, 0)", ko_list_get_pos(NULL, 0));
    print_int("ko_list_move_current(NULL, 0)", ko_list_move_current(NULL, 0));
    print_int("ko_list_get_node_pos(NULL, NULL)", ko_list_get_node_pos(NULL, NULL));
    print_node(NULL, "ko_list_node_get_next(NULL)", ko_list_node_get_next(NULL));
    print_node(NULL, "ko_list_search(NULL, ...)",
               ko_list_search(NULL, same, NULL, KO_LIST_SEARCH_FORWARD));
    print_node(NULL, "ko_list_search_next(NULL, ...)", ko_list_search_next(NULL, same, NULL));
    print_int("ko_list_sort(NULL, ascending)", ko_list_sort(NULL, ascending));
    ko_list_node_free(NULL);
    ko_list_remove(NULL);
    ko_list_clean(NULL);
    ko_list_free(NULL);

    /* Lists of int32_t: one with the allocator and releaser above, one without. */
    ko_list *list = ko_list_new((int32_t)sizeof(int32_t), NULL, allocate, release);
    ko_list *other = ko_list_new((int32_t)sizeof(int32_t), NULL, NULL, NULL);
    if (list == NULL || other == NULL) {
        ko_list_free(list);
        ko_list_free(other);
        return 1;
    }

    /* Linking: into an empty list at any position, at the tail, or next to the
     * cursor, which the first node linked sets. */
    ko_list_node *three = node_of(list, 3), *one = node_of(list, 1), *four = node_of(list, 4);
    print_int("ko_list_insert(list, 3, 7), empty list", ko_list_insert(list, three, 7));
    print_int("ko_list_node_attach(3), linked", ko_list_node_attach(three));
    print_int("ko_list_node_attach(1)", ko_list_node_attach(one));
    print_int("ko_list_add(NULL, 4)", ko_list_add(NULL, four));
    print_int("ko_list_insert(NULL, 4, after)", ko_list_insert(NULL, four, KO_LIST_INSERT_AFTER));
    print_int("ko_list_insert(list, 4, 7)", ko_list_insert(list, four, 7));
    print_int("ko_list_insert(list, 4, after)", ko_list_insert(list, four, KO_LIST_INSERT_AFTER));
    print_int("ko_list_insert(list, 5, before)",
              ko_list_insert(list, node_of(list, 5), KO_LIST_INSERT_BEFORE));
    print_list(list);

    /* Walking: past an end the cursor is NULL, and stays NULL. */
    print_node(list, "ko_list_get_tail", ko_list_get_tail(list));
    print_node(list, "ko_list_get_next", ko_list_get_next(list));
    ko_list_node *nine = node_of(list, 9);
    print_int("ko_list_insert(list, 9, after), cursor NULL",
              ko_list_insert(list, nine, KO_LIST_INSERT_AFTER));
    print_int("ko_list_move_current(1), cursor NULL", ko_list_move_current(list, 1));
    print_int("ko_list_move_current(0), cursor NULL", ko_list_move_current(list, 0));
    print_node(list, "ko_list_get_first", ko_list_get_first(list));
    print_node(list, "ko_list_get_prev", ko_list_get_prev(list));
    print_int("ko_list_set_current(4)", ko_list_set_current(list, four));
    print_int("ko_list_set_current(unlinked 9)", ko_list_set_current(list, nine));
    print_node(list, "ko_list_get_current", ko_list_get_current(list));
    print_int("ko_list_move_current(-100)", ko_list_move_current(list, -100));
    print_node(list, "  stops on", ko_list_get_current(list));
    print_int("ko_list_move_current(2)", ko_list_move_current(list, 2));
    print_node(list, "  on", ko_list_get_current(list));

    /* Positions: out of range is NULL; a node not in the list is at `nodes`. */
    print_node(list, "ko_list_get_pos(3)", ko_list_get_pos(list, 3));
    print_node(list, "ko_list_get_pos(-1)", ko_list_get_pos(list, -1));
    print_node(list, "ko_list_get_pos(4)", ko_list_get_pos(list, 4));
    print_int("ko_list_get_node_pos(4)", ko_list_get_node_pos(list, four));
    print_int("ko_list_get_node_pos(unlinked 9)", ko_list_get_node_pos(list, nine));
    print_node(list, "ko_list_node_get_prev(4)", ko_list_node_get_prev(four));
    print_node(list, "ko_list_node_get_next(4)", ko_list_node_get_next(four));
    print_node(list, "ko_list_node_get_next(unlinked 9)", ko_list_node_get_next(nine));
    print_int("ko_list_add(list, 9)", ko_list_add(list, nine));
    print_int("ko_list_add(list, 3)", ko_list_add(list, node_of(list, 3)));
    print_list(list);

    /* Search: one match per call, until it runs out and stays ended. */
    int32_t key = 3;
    print_node(list, "ko_list_search(3, forward)",
               ko_list_search(list, same, &key, KO_LIST_SEARCH_FORWARD));
    print_node(list, "ko_list_search_next(3)", ko_list_search_next(list, same, &key));
    print_node(list, "ko_list_search_next(3), none left", ko_list_search_next(list, same, &key));
    key = 9;
    print_node(list, "ko_list_search_next(9), ended", ko_list_search_next(list, same, &key));
    print_node(list, "ko_list_search(9, direction 5)", ko_list_search(list, same, &key, 5));
    print_node(list, "ko_list_search(9, backward)",
               ko_list_search(list, same, &key, KO_LIST_SEARCH_BACKWARD));
    print_node(list, "ko_list_search_next(NULL compare)", ko_list_search_next(list, NULL, &key));

    /* Sort: n(n-1)/2 comparisons; with no comparison it only moves the cursor. */
    print_int("ko_list_sort(list, ascending)", ko_list_sort(list, ascending));
    printf("  %d comparisons for %d nodes\n", (int)compared, (int)ko_list_get_nodes(list));
    print_list(list);
    ko_list_get_tail(list);
    print_int("ko_list_sort(list, NULL)", ko_list_sort(list, NULL));
    print_list(list);

    /* Unlinking hands a node back, and a cursor on it moves to its successor;
     * releases go through the releaser, which prints what it is given. */
    ko_list_node *third = ko_list_get_pos(list, 2);
    print_int("ko_list_node_detach(at 2)", ko_list_node_detach(third));
    print_int("ko_list_node_detach(at 2), unlinked", ko_list_node_detach(third));
    print_list(list);
    printf("ko_list_node_free(unlinked):");
    ko_list_node_free(third);
    printf("\nko_list_remove:");
    ko_list_remove(list);
    printf("\n");
    print_list(list);

    /* An allocator that refuses: no node, and nothing left allocated. */
    refusing = true;
    print_node(list, "ko_list_node_new(list), allocator refusing", ko_list_node_new(list));
    refusing = false;

    /* A node of the other list, zero-filled from the heap: refused here, but
     * ko_list_add links it into its own list. */
    ko_list_node *foreign = ko_list_node_new(other);
    print_int("ko_list_set_current(list, foreign)", ko_list_set_current(list, foreign));
    print_int("ko_list_insert(list, foreign, after)",
              ko_list_insert(list, foreign, KO_LIST_INSERT_AFTER));
    print_int("ko_list_get_node_pos(list, foreign)", ko_list_get_node_pos(list, foreign));
    print_int("ko_list_add(list, foreign)", ko_list_add(list, foreign));
    print_node(other, "  in the other list", foreign);
    ko_list_free(other);

    /* Cleaning keeps the list, empty; freeing releases what is left too. */
    printf("ko_list_clean:");
    ko_list_clean(list);
    printf("\n");
    print_list(list);
    ko_list_add(list, node_of(list, 8));
    printf("ko_list_free:");
    ko_list_free(list);
    printf("\n");
    return 0;
}

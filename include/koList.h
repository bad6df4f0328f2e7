/* SPDX-License-Identifier: MIT */
/*
 * koList: doubly linked lists of fixed-size records, with a plain C ABI.
 *
 * A list holds elements of one size, fixed when the list is made. Every
 * element lives in the data buffer of a node; a node is made for one list and
 * can only ever be linked into that list. Each list carries two cursors: the
 * current-node cursor (`current`), which the walking readers move, and the
 * search cursor (`search_node`, `search_dir`) of a resumable search.
 *
 * Status results are 0 for done and -1 for refused; a refusal changes
 * nothing. Positions are 0-based, counted from `first`. Nothing here locks:
 * a list and its nodes are used by one thread at a time.
 */

/*
 * Ownership and callbacks
 *
 * The caller owns a list from ko_list_new() until ko_list_free(). A linked
 * node belongs to its list, which releases it in ko_list_remove(),
 * ko_list_clean() and ko_list_free(). An unlinked node belongs to the
 * caller, who releases it with ko_list_node_free() before the list is freed,
 * since that release reads the list's releaser. A node is made for one list
 * and can only ever be linked into that list. A node owns its data buffer,
 * which goes with the node: through the list's releaser when the list has
 * one, else back to the heap. List and node records always come from the
 * heap and go back to it.
 *
 * A callback receives only what its type says: the allocator the element
 * size, the releaser a node's data pointer, a comparison two data pointers
 * (a node's data and the key in a search, the data of two nodes in a sort).
 * None receives the list. The spare pointer given to ko_list_new() is the
 * program's own, kept in the list record for the program to read: no
 * callback receives it, and the library never reads it. A callback that
 * needs its list, such as an allocator that draws from a pool per list,
 * finds it itself: through a global table, say, or a search key that points
 * to the list.
 *
 * Callbacks run synchronously, in the caller's thread, inside the operation
 * that calls them: the allocator inside ko_list_node_new(), the releaser
 * inside ko_list_node_free(), ko_list_remove(), ko_list_clean() and
 * ko_list_free(), a comparison inside ko_list_search(),
 * ko_list_search_next() and ko_list_sort(). While a callback runs for a
 * list, that list, reached through the program's own pointer:
 *  - may be read: its records, and the operations that only read,
 *    ko_list_get_nodes(), ko_list_get_current(), ko_list_get_node_pos(),
 *    ko_list_node_get_data(), ko_list_node_get_prev() and
 *    ko_list_node_get_next();
 *  - may have its current-node cursor moved, with ko_list_get_first(),
 *    ko_list_get_tail(), ko_list_get_next(), ko_list_get_prev(),
 *    ko_list_set_current(), ko_list_move_current() and ko_list_get_pos(): no
 *    operation that calls back walks by that cursor, so the operation
 *    carries on unchanged and the cursor stays where the callback left it
 *    (ko_list_sort() puts it on the first node before its first comparison);
 *  - must not have its nodes linked, unlinked or released, nor be searched,
 *    sorted or freed: the running operation would then read freed memory,
 *    lose its place or never end.
 *
 * Other lists are free to use for anything, searching and sorting included:
 * lists share nothing, and the library keeps no state outside them.
 *
 * The library is built without unwind tables, so a C++ exception cannot
 * pass through it: one thrown out of a callback ends the program through
 * std::terminate (SIGABRT, status 134 in a shell), whatever would catch it
 * outside the call. Catch exceptions inside the callback.
 *
 * After a longjmp out of a callback the list is valid: its chain, its count
 * and both cursors hold, and every element is in exactly one node. The
 * interrupted operation's own work is lost. Out of an allocator, the record
 * of the node being made leaks and the list is unchanged. Out of a releaser,
 * the node being released has already left the chain and leaks, with
 * whatever of its data the releaser had not released; the nodes after it
 * stay linked, and ko_list_free() keeps the list record, so it may be called
 * again. Out of a search's comparison, start a new search. Out of a sort's
 * comparison, the elements stay partly sorted.
 */
#ifndef KOLIST_H
#define KOLIST_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The version of this header and of the library that comes with it. */
#define KO_LIST_VERSION_MAJOR 1
#define KO_LIST_VERSION_MINOR 1
#define KO_LIST_VERSION_PATCH 0

/* Where ko_list_insert() links a node, relative to the current node. */
#define KO_LIST_INSERT_AFTER 0
#define KO_LIST_INSERT_BEFORE 1

/* Search directions, and the state of a search that has ended. */
#define KO_LIST_SEARCH_FORWARD 0
#define KO_LIST_SEARCH_BACKWARD 1
#define KO_LIST_SEARCH_DONE 2

typedef struct ko_list ko_list;
typedef struct ko_list_node ko_list_node;

/* Makes `size` bytes of element data; returns NULL when it cannot. */
typedef void *(*ko_list_alloc_fn)(int32_t size);
/* Releases a node's element data; its result is ignored. */
typedef int32_t (*ko_list_free_fn)(void *data);
/* Compares two elements (or an element and a search key). */
typedef int32_t (*ko_list_cmp_fn)(const void *a, const void *b);

/*
 * The records are public so that a program sees them as the library does;
 * read them freely, but change them only through the operations below.
 */
struct ko_list {
    ko_list_node *first;         /* NULL when empty */
    ko_list_node *tail;          /* NULL when empty */
    ko_list_node *current;       /* the cursor; NULL when unset or past an end */
    ko_list_node *search_node;   /* last match of the running search */
    void *spare;                 /* the caller's own pointer, never read */
    ko_list_alloc_fn data_alloc; /* may be NULL: zero-filled heap data */
    ko_list_free_fn data_free;   /* may be NULL: data goes back to the heap */
    int32_t data_size;           /* bytes per element, always > 0 */
    int32_t search_dir;          /* KO_LIST_SEARCH_FORWARD, _BACKWARD or _DONE */
    int32_t nodes;               /* number of linked nodes */
};

struct ko_list_node {
    ko_list *list;      /* the list that made the node, for life */
    ko_list_node *prev; /* NULL for the first node and when unlinked */
    ko_list_node *next; /* NULL for the tail and when unlinked */
    int32_t attached;   /* 1 while linked into its list, else 0 */
    void *data;         /* data_size bytes, owned by the node */
};

/* ---- Records ---------------------------------------------------------- */

/*
 * A new empty list for elements of `data_size` bytes, or NULL when the size
 * is 0 or negative or the heap refuses. `spare` is the caller's own pointer,
 * stored unchanged and never read. With `data_alloc`, element data comes from
 * it (not cleared); otherwise from the heap, zero-filled. With `data_free`,
 * element data is released through it; otherwise back to the heap.
 */
ko_list *ko_list_new(int32_t data_size, void *spare, ko_list_alloc_fn data_alloc,
                     ko_list_free_fn data_free);

/*
 * A new unlinked node of `list` with its data buffer, owned by the caller
 * until linked; NULL for a NULL list or when the heap or the allocator
 * refuses (then nothing stays allocated). The list is not changed.
 */
ko_list_node *ko_list_node_new(ko_list *list);

/* The node's element data; NULL for a NULL node. */
void *ko_list_node_get_data(const ko_list_node *node);

/* The number of linked nodes; 0 for a NULL list. */
int32_t ko_list_get_nodes(const ko_list *list);

/* ---- Linking ---------------------------------------------------------- */

/*
 * Links `node` at the tail of its own list. On an empty list it also becomes
 * the current node; otherwise the cursor stays. -1 for a NULL or linked node.
 */
int32_t ko_list_node_attach(ko_list_node *node);

/*
 * ko_list_node_attach() after testing `list` and `node` for NULL: the node
 * always goes to the tail of the list that made it. 0, or -1.
 */
int32_t ko_list_add(ko_list *list, ko_list_node *node);

/*
 * Links `node` right after (KO_LIST_INSERT_AFTER) or right before
 * (KO_LIST_INSERT_BEFORE) the current node, which stays current. On an empty
 * list the node becomes first, tail and current whatever the position.
 * -1 for a NULL, linked or foreign node, and on a non-empty list for a NULL
 * cursor or another position.
 */
int32_t ko_list_insert(ko_list *list, ko_list_node *node, int32_t position);

/*
 * Unlinks `node`; it goes back to the caller, keeps its data and may be
 * linked again into its list. A cursor on it moves: `current` to the
 * successor, `search_node` to the successor while searching forward and to
 * the predecessor otherwise. -1 for a NULL or unlinked node.
 */
int32_t ko_list_node_detach(ko_list_node *node);

/* ---- Release ---------------------------------------------------------- */

/* Unlinks `node` if linked, then releases its data and the node. */
void ko_list_node_free(ko_list_node *node);

/*
 * Releases the current node; the cursor moves on to its successor (NULL
 * after the tail). Nothing happens without a current node.
 */
void ko_list_remove(ko_list *list);

/*
 * Releases every linked node, first to last. The list stays usable, empty,
 * with both cursors NULL; `search_dir` keeps its value. Unlinked nodes are
 * left to the caller.
 */
void ko_list_clean(ko_list *list);

/* ko_list_clean(), then releases the list itself. */
void ko_list_free(ko_list *list);

/* ---- Cursor and positions --------------------------------------------- */

/* Move the cursor to the first (tail) node and return it; NULL when empty. */
ko_list_node *ko_list_get_first(ko_list *list);
ko_list_node *ko_list_get_tail(ko_list *list);

/*
 * Step the cursor once toward the tail (first node) and return the new
 * current node. Stepping past an end leaves the cursor NULL; a NULL cursor
 * stays NULL.
 */
ko_list_node *ko_list_get_next(ko_list *list);
ko_list_node *ko_list_get_prev(ko_list *list);

/* The current node, without moving it; NULL for a NULL list. */
ko_list_node *ko_list_get_current(const ko_list *list);

/* Makes `node` current; -1 for a NULL, foreign or unlinked node. */
int32_t ko_list_set_current(ko_list *list, ko_list_node *node);

/*
 * Moves the cursor `count` steps toward the tail (negative: toward first),
 * stopping at the end node: it never becomes NULL here. -1 for a NULL list,
 * and for a non-zero count while the cursor is NULL.
 */
int32_t ko_list_move_current(ko_list *list, int32_t count);

/*
 * The node at `position`, which becomes current; NULL, cursor untouched,
 * when the position is negative or not below the node count. Walks from the
 * nearer end: time in proportion to the distance to it.
 */
ko_list_node *ko_list_get_pos(ko_list *list, int32_t position);

/*
 * The position of `node` in the chain, without moving the cursor: the node
 * count when it is not linked here, 0 on an empty list, -1 for NULL handles.
 * Walks from both ends at once, in time proportional to the node's distance
 * to the nearer end, and reads only the chain, never the node: a stale
 * handle is safe to ask about (its address may since be a new node's).
 */
int32_t ko_list_get_node_pos(const ko_list *list, const ko_list_node *node);

/* The node's neighbours, without moving any cursor; NULL for a NULL node. */
ko_list_node *ko_list_node_get_prev(const ko_list_node *node);
ko_list_node *ko_list_node_get_next(const ko_list_node *node);

/* ---- Search ------------------------------------------------------------ */

/*
 * Starts a search from `first` (KO_LIST_SEARCH_FORWARD) or from `tail`
 * (KO_LIST_SEARCH_BACKWARD) and returns the first node for which
 * cmp(node data, key) is 0. The match becomes the search cursor; the
 * current-node cursor is never touched. NULL when nothing matches (the
 * search then ends), and, with nothing changed, for a NULL list or
 * comparison or another direction.
 */
ko_list_node *ko_list_search(ko_list *list, ko_list_cmp_fn cmp, const void *key, int32_t direction);

/*
 * The next match after the search cursor, in the running direction, with
 * this call's comparison and key. NULL once the search has ended.
 */
ko_list_node *ko_list_search_next(ko_list *list, ko_list_cmp_fn cmp, const void *key);

/* ---- Sort -------------------------------------------------------------- */

/*
 * Sorts the elements ascending in place, moving data pointers between nodes
 * while the chain stays as it is: a kept node handle then holds whatever
 * element landed in its place. cmp(earlier, later) > 0 means out of order;
 * it is called n(n-1)/2 times. Not stable. The cursor ends on the first
 * node. With a NULL comparison nothing is compared. Always 0.
 */
int32_t ko_list_sort(ko_list *list, ko_list_cmp_fn cmp);

#ifdef __cplusplus
}
#endif

#endif /* KOLIST_H */

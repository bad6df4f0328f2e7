// koList: the list store (records, linking, release) and the navigation over
// it (cursor, positions, search, sort).
//
// C++ inside, C outside: no exceptions, no RTTI, no operator new, nothing
// from the C++ runtime. Every record comes from malloc/calloc and goes back
// through free, so a refusing heap is a null result the caller can see.
//
// Invariants kept by every operation on the arguments it accepts:
//  - `nodes` counts the nodes reachable from `first` along `next`; `first`
//    and `tail` are null exactly when `nodes` is 0;
//  - the chain is symmetric: a->next == b exactly when b->prev == a, and the
//    ends point to null;
//  - an unlinked node (`attached` 0) has null `prev` and `next`;
//  - `current` and `search_node` are null or on a node linked into this list.
//    Only ko_list_node_detach() takes a node out of a chain, and it moves
//    the cursors.

#include <cstdlib>

// Everything declared by the public header is exported; the rest is hidden
// by -fvisibility=hidden.
#pragma GCC visibility push(default)
#include "koList.h"
#pragma GCC visibility pop

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

// The first node of an empty list is also its first cursor position.
void link_into_empty(ko_list *list, ko_list_node *node)
{
    link_between(list, node, nullptr, nullptr);
    list->current = node;
}

} // namespace

ko_list *ko_list_new(int32_t data_size, void *spare, ko_list_alloc_fn data_alloc,
                     ko_list_free_fn data_free)
{
    if (data_size <= 0)
        return nullptr;
    auto *list = static_cast<ko_list *>(std::malloc(sizeof(ko_list)));
    if (list == nullptr)
        return nullptr;
    *list = ko_list{nullptr, nullptr, nullptr, nullptr, spare,
                    data_alloc, data_free, data_size, KO_LIST_SEARCH_FORWARD, 0};
    return list;
}

ko_list_node *ko_list_node_new(ko_list *list)
{
    if (list == nullptr)
        return nullptr;
    auto *node = static_cast<ko_list_node *>(std::malloc(sizeof(ko_list_node)));
    if (node == nullptr)
        return nullptr;
    void *data = list->data_alloc != nullptr
                     ? list->data_alloc(list->data_size)
                     : std::calloc(1, static_cast<size_t>(list->data_size));
    if (data == nullptr) {
        // The data never existed, so the list's releaser has nothing to see.
        std::free(node);
        return nullptr;
    }
    *node = ko_list_node{list, nullptr, nullptr, 0, data};
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

int32_t ko_list_node_attach(ko_list_node *node)
{
    if (node == nullptr || node->attached != 0)
        return -1;
    ko_list *list = node->list;
    if (list->nodes == 0)
        link_into_empty(list, node);
    else
        link_between(list, node, list->tail, nullptr);
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
    if (list->nodes == 0) {
        link_into_empty(list, node);
        return 0;
    }
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

int32_t ko_list_node_detach(ko_list_node *node)
{
    if (node == nullptr || node->attached == 0)
        return -1;
    ko_list *list = node->list;
    ko_list_node *prev = node->prev;
    ko_list_node *next = node->next;
    if (list->first == node)
        list->first = next;
    if (list->tail == node)
        list->tail = prev;
    // The cursor moves on to the successor; the search cursor moves to the
    // node the running search would examine next.
    if (list->current == node)
        list->current = next;
    if (list->search_node == node)
        list->search_node = list->search_dir == KO_LIST_SEARCH_FORWARD ? next : prev;
    if (prev != nullptr)
        prev->next = next;
    if (next != nullptr)
        next->prev = prev;
    node->prev = nullptr;
    node->next = nullptr;
    node->attached = 0;
    list->nodes--;
    return 0;
}

void ko_list_node_free(ko_list_node *node)
{
    if (node == nullptr)
        return;
    // Unlink first, so the list is consistent while the releaser runs.
    if (node->attached != 0)
        ko_list_node_detach(node);
    ko_list_free_fn data_free = node->list->data_free;
    if (data_free != nullptr)
        data_free(node->data);
    else
        std::free(node->data);
    std::free(node);
}

void ko_list_remove(ko_list *list)
{
    if (list != nullptr)
        ko_list_node_free(list->current);
}

void ko_list_clean(ko_list *list)
{
    if (list == nullptr)
        return;
    // First to last, so a releaser sees the elements in list order.
    while (list->nodes > 0)
        ko_list_node_free(list->first);
}

void ko_list_free(ko_list *list)
{
    if (list == nullptr)
        return;
    ko_list_clean(list);
    std::free(list);
}

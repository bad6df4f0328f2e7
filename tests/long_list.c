/* SPDX-License-Identifier: MIT */
/* For tests/gdb.cmake: a list far longer than the printers walk, its cursor
 * on the middle node when it is freed. */
#include <stddef.h>

#include "koList.h"

int main(void)
{
    ko_list *list = ko_list_new((int32_t)sizeof(int32_t), NULL, NULL, NULL);
    for (int32_t i = 0; i < 32768; i++) {
        ko_list_node *node = ko_list_node_new(list);
        *(int32_t *)ko_list_node_get_data(node) = i;
        ko_list_add(list, node);
    }
    ko_list_get_pos(list, ko_list_get_nodes(list) / 2);
    ko_list_free(list);
    return 0;
}

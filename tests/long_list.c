/* SPDX-License-Identifier: MIT */
/* For tests/gdb.cmake: a list far longer than the printers walk, its cursor
 * on the middle node when it is freed. */
#include <stddef.h>

#include "koList.h"

int main(void)
{
    ko_list *list = ko_list_new(4, NULL, NULL, NULL);
    for (int i = 0; i < 32768; i++)
        ko_list_add(list, ko_list_node_new(list));
    ko_list_get_pos(list, 16384);
    ko_list_free(list);
    return 0;
}

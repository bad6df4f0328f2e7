/* SPDX-License-Identifier: MIT */
/*
 * A list of sensor readings: filled, searched for every reading of one
 * temperature, walked, one reading removed, sorted by temperature and freed.
 */
#include <stdio.h>
#include <string.h>

#include "koList.h"

struct reading {
    char sensor[8];
    int32_t celsius;
};

static int32_t same_celsius(const void *data, const void *key)
{
    return ((const struct reading *)data)->celsius == *(const int32_t *)key ? 0 : 1;
}

/* Greater than 0 when the earlier reading is the warmer one. */
static int32_t warmer(const void *earlier, const void *later)
{
    return ((const struct reading *)earlier)->celsius - ((const struct reading *)later)->celsius;
}

static void print_all(ko_list *list)
{
    for (ko_list_node *node = ko_list_get_first(list); node != NULL;
         node = ko_list_get_next(list)) {
        const struct reading *r = ko_list_node_get_data(node);
        printf("  %-6s %3d C\n", r->sensor, (int)r->celsius);
    }
}

int main(void)
{
    static const struct reading readings[] = {
        {"north", 21}, {"south", 25}, {"east", 19}, {"west", 25}, {"roof", 30},
    };
    ko_list *list = ko_list_new((int32_t)sizeof(struct reading), NULL, NULL, NULL);
    if (list == NULL)
        return 1;
    for (size_t i = 0; i < sizeof readings / sizeof readings[0]; i++) {
        ko_list_node *node = ko_list_node_new(list);
        if (node == NULL) {
            ko_list_free(list);
            return 1;
        }
        memcpy(ko_list_node_get_data(node), &readings[i], sizeof readings[i]);
        ko_list_add(list, node);
    }
    printf("filled %d readings\n", (int)ko_list_get_nodes(list));

    int32_t hot = 25;
    printf("readings of %d C:", (int)hot);
    for (ko_list_node *match = ko_list_search(list, same_celsius, &hot, KO_LIST_SEARCH_FORWARD);
         match != NULL; match = ko_list_search_next(list, same_celsius, &hot))
        printf(" %s at %d", ((const struct reading *)ko_list_node_get_data(match))->sensor,
               (int)ko_list_get_node_pos(list, match));
    printf("\n");

    printf("walked in order:\n");
    print_all(list);

    ko_list_get_pos(list, 2);
    printf("removed %s\n",
           ((const struct reading *)ko_list_node_get_data(ko_list_get_current(list)))->sensor);
    ko_list_remove(list);

    ko_list_sort(list, warmer);
    printf("sorted, %d readings:\n", (int)ko_list_get_nodes(list));
    print_all(list);

    ko_list_free(list);
    return 0;
}

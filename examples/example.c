/* A list of small records: filled, walked, one removed, freed. */
#include <stdio.h>
#include <string.h>

#include "koList.h"

struct reading {
    char sensor[8];
    int32_t celsius;
};

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

    for (const ko_list_node *node = list->first; node != NULL; node = node->next) {
        const struct reading *r = ko_list_node_get_data(node);
        printf("  %-6s %3d C\n", r->sensor, (int)r->celsius);
    }
    ko_list_free(list);
    return 0;
}

// SPDX-License-Identifier: MIT
// The readings of example.c through koList.hpp: filled, searched with a
// captured threshold, sorted, one taken out, and freed by the destructors.
// Built with -fno-exceptions: the wrapper needs no exceptions.
#include <cstdio>

#include "koList.hpp"

struct reading {
    char sensor[8];
    int32_t celsius;
};

int main()
{
    ko::list<reading> list;
    for (const reading &r : {reading{"north", 21}, reading{"south", 25}, reading{"east", 19},
                             reading{"west", 25}, reading{"roof", 30}}) {
        if (!list.push_back(r))
            return 1; // the heap refused; the destructor frees what was made
    }
    std::printf("filled %d readings\n", static_cast<int>(list.size()));

    int32_t limit = 24;
    std::printf("warmer than %d C:", static_cast<int>(limit));
    for (const reading &r : list.search([limit](const reading &r) { return r.celsius > limit; }))
        std::printf(" %s", r.sensor);
    std::printf("\n");

    list.sort([](const reading &a, const reading &b) { return a.celsius < b.celsius; });
    ko::node<reading> coldest = list.detach(list.begin()); // released at the end of main
    for (const reading &r : list)
        std::printf("  %-6s %3d C\n", r.sensor, static_cast<int>(r.celsius));
    if (coldest)
        std::printf("taken out: %s\n", coldest->sensor);
    return 0;
}

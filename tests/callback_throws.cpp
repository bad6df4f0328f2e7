// SPDX-License-Identifier: MIT
// callback_throws alloc|release|compare: throws out of that callback of a
// list, inside a try block that would catch it. The library has no unwind
// tables, so the exception cannot cross it: std::terminate must end the
// program. Reaching the handler, or returning, is the fault.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "koList.h"

namespace {

const char *thrower = "";

void maybe_throw(const char *callback)
{
    if (std::strcmp(thrower, callback) == 0)
        throw std::runtime_error(callback);
}

void *allocate(int32_t size)
{
    maybe_throw("alloc");
    return std::malloc(static_cast<size_t>(size));
}

int32_t release(void *data)
{
    maybe_throw("release");
    std::free(data);
    return 0;
}

int32_t compare(const void *, const void *)
{
    maybe_throw("compare");
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    ko_list *list = ko_list_new(4, nullptr, allocate, release);
    for (int i = 0; i < 2; i++)
        ko_list_add(list, ko_list_node_new(list));
    thrower = argv[1];
    try {
        ko_list_add(list, ko_list_node_new(list));
        ko_list_sort(list, compare);
        ko_list_clean(list);
    } catch (const std::exception &caught) {
        std::printf("caught %s: the exception crossed the library\n", caught.what());
        return 1;
    }
    std::printf("no callback threw\n");
    return 1;
}

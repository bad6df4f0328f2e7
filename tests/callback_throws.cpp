// SPDX-License-Identifier: MIT
// callback_throws alloc|release|compare: throws out of that callback, inside
// a try block that would catch it. The library has no unwind tables, so the
// exception cannot cross it: std::terminate must end the program first.
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "koList.h"

namespace {

const char *thrower = "";

void called(const char *callback)
{
    if (std::strcmp(thrower, callback) == 0)
        throw std::runtime_error(callback);
}

void *allocate(int32_t size)
{
    return called("alloc"), std::malloc(static_cast<size_t>(size));
}
int32_t release(void *data)
{
    return called("release"), std::free(data), 0;
}
int32_t compare(const void *, const void *)
{
    return called("compare"), 1;
}

} // namespace

int main(int argc, char **argv)
{
    ko_list *list = ko_list_new(4, nullptr, allocate, release);
    ko_list_add(list, ko_list_node_new(list));
    thrower = argc == 2 ? argv[1] : "";
    try {
        ko_list_add(list, ko_list_node_new(list));
        ko_list_sort(list, compare);
        ko_list_clean(list);
    } catch (const std::exception &) {
        return 1; // the exception crossed the library
    }
    return 2; // nothing threw
}

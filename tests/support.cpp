#include "support.hpp"

#include <cstddef>
#include <cstring>
#include <set>

// ---- Heap interposer -------------------------------------------------------
// Forwards to the allocator that malloc would otherwise be (libc's, or
// AddressSanitizer's), under the second names both export, and keeps two
// counters. Tests are single-threaded.
extern "C" {
#ifdef __SANITIZE_ADDRESS__
void *__interceptor_malloc(size_t size);
void *__interceptor_calloc(size_t count, size_t size);
void *__interceptor_realloc(void *block, size_t size);
void __interceptor_free(void *block);
#else
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);
void __libc_free(void *block);
#endif
}

namespace {
namespace real {
#ifdef __SANITIZE_ADDRESS__
void *malloc(size_t size) { return __interceptor_malloc(size); }
void *calloc(size_t count, size_t size) { return __interceptor_calloc(count, size); }
void *realloc(void *block, size_t size) { return __interceptor_realloc(block, size); }
void free(void *block) { __interceptor_free(block); }
#else
void *malloc(size_t size) { return __libc_malloc(size); }
void *calloc(size_t count, size_t size) { return __libc_calloc(count, size); }
void *realloc(void *block, size_t size) { return __libc_realloc(block, size); }
void free(void *block) { __libc_free(block); }
#endif
} // namespace real

long live_blocks;
long allocation_calls;
long refused_call; // the allocation_calls value that is refused; 0 for none

// Counts one allocation call; false when this one is to be refused.
bool grant()
{
    return ++allocation_calls != refused_call;
}

void *counted(void *block)
{
    if (block != nullptr)
        live_blocks++;
    return block;
}

} // namespace

extern "C" void *malloc(size_t size)
{
    return grant() ? counted(real::malloc(size)) : nullptr;
}

extern "C" void *calloc(size_t count, size_t size)
{
    return grant() ? counted(real::calloc(count, size)) : nullptr;
}

extern "C" void free(void *block)
{
    if (block != nullptr)
        live_blocks--;
    real::free(block);
}

extern "C" void *realloc(void *block, size_t size)
{
    if (block == nullptr)
        return malloc(size);
    if (size == 0) {
        free(block);
        return nullptr;
    }
    return grant() ? real::realloc(block, size) : nullptr;
}

namespace heap {
long live() { return live_blocks; }
long attempts() { return allocation_calls; }
void refuse_nth(long n) { refused_call = n > 0 ? allocation_calls + n : 0; }
} // namespace heap

// ---- Invariant checker and builders ------------------------------------------

::testing::AssertionResult valid(const ko_list *list)
{
    auto fail = [](const char *what) { return ::testing::AssertionFailure() << what; };
    if (list->data_size <= 0)
        return fail("data_size is not positive");
    std::set<const ko_list_node *> linked;
    const ko_list_node *before = nullptr;
    for (const ko_list_node *node = list->first; node != nullptr; node = node->next) {
        if (!linked.insert(node).second)
            return fail("the chain loops");
        if (node->prev != before)
            return fail("prev does not mirror next");
        if (node->attached != 1 || node->list != list)
            return fail("a linked node is not marked attached to this list");
        before = node;
    }
    if (list->tail != before)
        return fail("tail is not the end of the chain");
    if (static_cast<size_t>(list->nodes) != linked.size())
        return ::testing::AssertionFailure() << "nodes is " << list->nodes << ", chain has " << linked.size();
    if (list->current != nullptr && linked.count(list->current) == 0)
        return fail("current is not on a linked node");
    if (list->search_node != nullptr && linked.count(list->search_node) == 0)
        return fail("search_node is not on a linked node");
    return ::testing::AssertionSuccess();
}

int32_t value(const ko_list_node *node)
{
    return node != nullptr ? *static_cast<const int32_t *>(node->data) : -1;
}

std::vector<int32_t> values(const ko_list *list)
{
    std::vector<int32_t> out;
    for (const ko_list_node *node = list->first; node != nullptr; node = node->next)
        out.push_back(value(node));
    return out;
}

ko_list_node *make_node(ko_list *list, int32_t element)
{
    ko_list_node *node = ko_list_node_new(list);
    *static_cast<int32_t *>(ko_list_node_get_data(node)) = element;
    return node;
}

ko_list *make_list(const std::vector<int32_t> &elements, ko_list_free_fn data_free)
{
    ko_list *list = ko_list_new(sizeof(int32_t), nullptr, nullptr, data_free);
    for (int32_t element : elements)
        ko_list_add(list, make_node(list, element));
    return list;
}

ko_list_node *nth(const ko_list *list, int index)
{
    ko_list_node *node = index < 0 ? nullptr : list->first;
    while (node != nullptr && index-- > 0)
        node = node->next;
    return node;
}

int index_of(const ko_list *list, const ko_list_node *node)
{
    int index = 0;
    for (const ko_list_node *at = list->first; at != nullptr; at = at->next, index++)
        if (at == node)
            return index;
    return -1;
}

// Field by field: the padding of 64-bit records is never written.
std::string image(const ko_list *list)
{
    std::string bytes;
    auto add = [&bytes](const auto &field) {
        bytes.append(reinterpret_cast<const char *>(&field), sizeof field);
    };
    add(list->first), add(list->tail), add(list->current), add(list->search_node);
    add(list->spare), add(list->data_alloc), add(list->data_free);
    add(list->data_size), add(list->search_dir), add(list->nodes);
    for (const ko_list_node *node = list->first; node != nullptr; node = node->next)
        add(node->list), add(node->prev), add(node->next), add(node->attached), add(node->data);
    return bytes;
}

// Reserved once at start-up, so that logging never allocates inside a test.
std::vector<std::pair<int32_t, int32_t>> CmpLog::calls = [] {
    std::vector<std::pair<int32_t, int32_t>> log;
    log.reserve(1 << 17);
    return log;
}();

int32_t CmpLog::diff(const void *a, const void *b)
{
    int32_t x = *static_cast<const int32_t *>(a);
    int32_t y = *static_cast<const int32_t *>(b);
    calls.emplace_back(x, y);
    return x - y;
}

int32_t CmpLog::equal(const void *a, const void *b)
{
    return diff(a, b) == 0 ? 0 : 1;
}

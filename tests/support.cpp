// SPDX-License-Identifier: MIT
// The heap interposer. It forwards to the allocator that malloc would
// otherwise be (libc's, or AddressSanitizer's), under the second names both
// export. The library allocates with malloc alone: a call to anything else
// would escape the watch and show as a missing heap call. Tests are
// single-threaded.
#include "support.hpp"

#include <cstddef>

// GCC tells an AddressSanitizer build by a macro, clang by a feature GCC has no test for.
#ifndef __has_feature
#define __has_feature(feature) 0
#endif
#if defined(__SANITIZE_ADDRESS__) || __has_feature(address_sanitizer)
extern "C" void *__interceptor_malloc(size_t size);
extern "C" void __interceptor_free(void *block);
constexpr auto real_malloc = __interceptor_malloc;
constexpr auto real_free = __interceptor_free;
#else
extern "C" void *__libc_malloc(size_t size);
extern "C" void __libc_free(void *block);
constexpr auto real_malloc = __libc_malloc;
constexpr auto real_free = __libc_free;
#endif

namespace {

long live_blocks;
long requests;
long refused_request; // the value of `requests` that is refused; 0 for none
checker::HeapSink sink;

} // namespace

extern "C" void *malloc(size_t size)
{
    void *block = ++requests != refused_request ? real_malloc(size) : nullptr;
    live_blocks += block != nullptr ? 1 : 0;
    if (sink != nullptr)
        sink('m', block, size);
    return block;
}

extern "C" void free(void *block)
{
    live_blocks -= block != nullptr ? 1 : 0;
    if (sink != nullptr)
        sink('x', block, 0);
    real_free(block);
}

namespace heap {
long live() { return live_blocks; }
void refuse_nth(long n) { refused_request = n > 0 ? requests + n : 0; }
void watch(checker::HeapSink to) { sink = to; }
} // namespace heap

// SPDX-License-Identifier: MIT
// The checker of the model tests and the fuzz target: it plays moves of one
// alphabet on a reference model and on the library, and compares results,
// callback and heap calls, and every record after each. A check returns ""
// when they agreed throughout, else the steps played and what differed last.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace model {

// Heap calls as the test program's interposer reports them: 'm' for an
// allocation (block null when refused), 'x' for a release. Without hooks
// (the fuzz build) heap calls are neither refused nor compared.
using HeapSink = void (*)(char kind, const void *block, size_t size);
struct HeapHooks {
    void (*refuse_nth)(long n) = nullptr; // the n-th request from now is refused; 0 disarms
    void (*watch)(HeapSink sink) = nullptr;
};

// Where the choices of a walk come from: the bytes [at, end), random or the fuzzer's.
struct Source {
    const uint8_t *at, *end;
    // A choice in [0, n), 0 < n <= 256, from one byte; 0 once the bytes are spent.
    uint32_t pick(uint32_t n) { return at < end ? *at++ % n : 0u; }
};

// Every sequence of `depth` moves from each start state, counted in
// `sequences`. A start state: list 0 with 0 to 3 nodes (elements 2, 1, 2),
// any cursor, and either no callbacks or an allocator and a releaser; list 1
// with one node; one unlinked node of list 0.
std::string every_sequence(int depth, HeapHooks hooks, long &sequences);

// From a drawn start state, plays up to `limit` drawn moves (fewer when the
// bytes run out), then frees every list.
std::string walk(Source source, long limit, HeapHooks hooks);

} // namespace model

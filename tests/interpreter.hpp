// SPDX-License-Identifier: MIT
// The checker shared by the model tests and the fuzz target. It plays moves
// from one alphabet (every operation with its boundary arguments) on a
// reference model and on the library, and compares the results, the callback
// and heap calls, and every record after each one. Each check returns "" when
// library and model agreed throughout, else the steps played and what
// differed after the last.
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

// Where random choices come from: a seed, or the fuzz bytes [at, end).
struct Source {
    uint64_t seed = 0;
    const uint8_t *at = nullptr, *end = nullptr;
    bool bytes = false;
    uint32_t pick(uint32_t n); // a choice in [0, n), n > 0; 0 once the bytes are spent
};

// Every sequence of `depth` moves from one start state, counted in
// `sequences`. The start state: list 0 with `length` nodes (elements 2, 1, 2,
// ...), the cursor on node `cursor` (-1: null) and callbacks as `mode` (1
// allocator, 2 releaser); list 1 with one node; one unlinked node of list 0.
std::string every_sequence(int length, int cursor, int mode, int depth, HeapHooks hooks,
                           long &sequences);

// On a list of `length` nodes, every position, -1 to n, and every node's.
std::string every_position(int length, HeapHooks hooks);

// From a drawn start state, plays up to `limit` drawn moves (fewer when the
// bytes run out), then frees every list.
std::string walk(Source source, long limit, HeapHooks hooks);

} // namespace model

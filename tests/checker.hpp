// SPDX-License-Identifier: MIT
// The checker, run by checker_test.cpp and the fuzz target: it plays moves of
// one alphabet on the model and on the library, and compares results,
// callback and heap calls, and every record after each. A check returns ""
// when they agreed throughout, else the steps played and what differed last.
#pragma once

#include <string>

#include "model.hpp"

namespace checker {

// Heap calls as the test program's interposer reports them: 'm' for an
// allocation (block null when refused), 'x' for a release. Without an
// interposer (the fuzz build) heap calls are neither refused nor compared.
using HeapSink = void (*)(char kind, const void *block, size_t size);
struct HeapHooks {
    void (*refuse_nth)(long n) = [](long) {}; // the n-th request from now is refused; 0 disarms
    void (*watch)(HeapSink sink) = [](HeapSink) {};
    bool watched = false;
};

// Every sequence of `depth` moves from one start state, counted in
// `sequences`. The start state: list 0 with `length` nodes (elements 2, 1, 2,
// ...), the cursor on node `cursor` (-1: null) and `callbacks`; list 1 with
// one node; one unlinked node of list 0.
std::string every_sequence(int length, int cursor, model::Callbacks callbacks, int depth,
                           HeapHooks hooks, long &sequences);

// From a start state drawn from the bytes [at, end), random or the fuzzer's,
// plays up to `limit` moves drawn from them, then frees every list.
std::string walk(const uint8_t *at, const uint8_t *end, long limit, HeapHooks hooks);

} // namespace checker

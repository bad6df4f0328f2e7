// SPDX-License-Identifier: MIT
// The checker shared by the model tests and the fuzz target. It plays moves
// from one alphabet (every operation with its boundary arguments) on a
// reference model and on the library, and compares the results, the callback
// and heap calls, and every record after each one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace model {

// Heap calls as the test program's interposer reports them: 'm' for an
// allocation (block null when refused), 'x' for a release.
using HeapSink = void (*)(char kind, const void *block, size_t size);
struct HeapHooks {
    void (*refuse_nth)(long n) = nullptr; // the n-th request from now is refused; 0 disarms
    void (*watch)(HeapSink sink) = nullptr;
};

extern const size_t kMoves; // the size of the alphabet

class Checker {
  public:
    // Without hooks (the fuzz build) heap calls are neither refused nor compared.
    explicit Checker(HeapHooks hooks);
    ~Checker();
    Checker(const Checker &) = delete;
    Checker &operator=(const Checker &) = delete;

    // List 0 with `length` nodes (elements 2, 1, 2, ...), the cursor on
    // node `cursor` (-1: null) and callbacks as `mode` (1 allocator, 2
    // releaser); list 1 with one node; one unlinked node of list 0.
    bool start(int length, int cursor, int mode);
    bool play(size_t move);     // false at the first divergence
    bool locate_all();          // list 0's every position, -1 to n, and every node's position
    bool changed() const;       // whether the last move changed the model
    bool finish();              // frees every list as a caller does
    std::string report() const; // the steps played and what differed

    struct State;

  private:
    std::unique_ptr<State> state_;
};

// Where random choices come from: a seed, or the fuzz bytes [at, end).
struct Source {
    uint64_t seed = 0;
    const uint8_t *at = nullptr, *end = nullptr;
    bool bytes = false;
    uint32_t pick(uint32_t n); // a choice in [0, n), n > 0; 0 once the bytes are spent
};

// From a drawn start state, plays up to `limit` drawn moves (fewer when the
// bytes run out), then frees every list: "" when library and model agreed
// throughout, else the report of the first divergence.
std::string walk(Source source, long limit, HeapHooks hooks);

} // namespace model

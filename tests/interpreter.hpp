// The operation interpreter shared by the randomized model test and the fuzz
// target: it draws operations and their arguments from a Source, applies each
// to a reference model and to the library, and compares the results, callback
// calls, heap use and every record after each one.
#pragma once

#include <cstdint>
#include <string>

namespace model {

// Where choices come from: a seeded generator, or the fuzz bytes [at, end).
struct Source {
    uint64_t seed = 0;
    const uint8_t *at = nullptr, *end = nullptr;
    bool bytes = false;
    uint32_t pick(uint32_t n); // a choice in [0, n), n > 0; 0 once the bytes are spent
};

// The test executable's heap accounting (tests/support.hpp). Without it, as
// in the fuzzer, all are null: heap refusals are not drawn and heap use is not
// compared; the allocator callback still refuses.
struct HeapHooks {
    void (*refuse_nth)(long n) = nullptr;
    long (*live)() = nullptr;
    long (*attempts)() = nullptr;
};

// Applies up to `limit` drawn operations (fewer when the bytes run out), then
// frees every list. Returns "" when library and model agreed throughout, else
// the operations applied, the last being the first that diverged, and what
// differed; the library is then left as it is.
std::string run(Source source, long limit, HeapHooks hooks);

} // namespace model

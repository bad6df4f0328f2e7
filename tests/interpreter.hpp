// One operation interpreter for the randomized model test, the fuzzer and the
// fault injection: it draws operations and their arguments from a Source,
// applies each to a reference model written from the description and to the
// library, and compares results, callback calls and every record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace model {

// Where choices come from: a seeded generator, or fuzz bytes.
struct Source {
    uint64_t seed = 0;
    const uint8_t *at = nullptr, *end = nullptr;
    bool bytes = false;        // take choices from [at, end) instead of the generator
    uint32_t pick(uint32_t n); // a choice in [0, n), n > 0; 0 once the bytes are spent
};

// The test executable's heap accounting (tests/support.hpp). Where there is
// none, as in the fuzzer, all are null: heap refusals are not drawn and block
// and call counts are not compared; the allocator callback still refuses.
struct HeapHooks {
    void (*refuse_nth)(long n) = nullptr;
    long (*live)() = nullptr;
    long (*attempts)() = nullptr;
};

// Runs up to `limit` operations (fewer when the bytes run out), then frees
// every list as operations too. Returns -1, or the number of the operation
// after which library and model disagreed, described in `error` (the library
// is then left as it is). With `trace`, appends one line per operation.
long run(Source &source, long limit, HeapHooks hooks, std::string &error,
         std::vector<std::string> *trace = nullptr);

} // namespace model

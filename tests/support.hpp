// Shared test tools: heap accounting, the structural invariant checker and
// small builders for lists of int32_t elements.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "koList.h"

// The test executable defines malloc, calloc, realloc and free; the
// library's heap calls resolve to them, so tests can count and refuse them.
namespace heap {
long live();     // blocks allocated and not yet released
long attempts(); // allocation calls so far, refused ones included
// Makes the n-th allocation call from now return null (n >= 1); 0 disarms.
void refuse_nth(long n);
} // namespace heap

// Fails the test unless every block allocated while it ran was released.
class Balanced : public ::testing::Test {
protected:
    Balanced()
    {
        // GoogleTest keeps the capacity of its trace stack once grown: grow
        // it before counting, so SCOPED_TRACE is not taken for a leak.
        { SCOPED_TRACE(""); }
        live_at_start_ = heap::live();
    }
    void TearDown() override { EXPECT_EQ(heap::live(), live_at_start_) << "leaked blocks"; }

private:
    long live_at_start_;
};

// Chain and count agree, links are symmetric, every linked node is marked
// attached and belongs here, and both cursors are null or on a linked node.
::testing::AssertionResult valid(const ko_list *list);

// The int32_t elements in chain order.
std::vector<int32_t> values(const ko_list *list);
int32_t value(const ko_list_node *node); // -1 for a null node

// A list of int32_t elements linked in the given order; cursor on the first.
ko_list *make_list(const std::vector<int32_t> &elements, ko_list_free_fn data_free = nullptr);
ko_list_node *make_node(ko_list *list, int32_t element);
ko_list_node *nth(const ko_list *list, int index); // null outside the chain
int index_of(const ko_list *list, const ko_list_node *node); // -1 if not linked

// The raw bytes of the list record and of every linked node record, to show
// that a refused operation changed nothing.
std::string image(const ko_list *list);

// A comparison of int32_t elements that logs every call it gets.
struct CmpLog {
    static std::vector<std::pair<int32_t, int32_t>> calls;
    static int32_t equal(const void *a, const void *b); // 0 on equality
    static int32_t diff(const void *a, const void *b);  // a - b
};

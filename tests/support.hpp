// SPDX-License-Identifier: MIT
// The test program's heap: malloc and free are interposed, so that the
// library's heap calls can be counted, watched and refused.
#pragma once

#include <gtest/gtest.h>

#include "checker.hpp"

namespace heap {
long live();                        // blocks allocated and not yet released
void refuse_nth(long n);            // the n-th allocation request from now returns null; 0 disarms
void watch(checker::HeapSink sink); // reports every call to sink; null stops
inline constexpr checker::HeapHooks hooks{refuse_nth, watch, true};
} // namespace heap

// Fails the test unless every block allocated while it ran was released.
class Balanced : public ::testing::Test {
    // GoogleTest keeps the capacity of its trace stack once grown: grow it
    // before counting, so SCOPED_TRACE is not taken for a leak.
    const long live_at_start_ = ([] { SCOPED_TRACE(""); }(), heap::live());

  protected:
    void TearDown() override { EXPECT_EQ(heap::live(), live_at_start_) << "leaked blocks"; }
};

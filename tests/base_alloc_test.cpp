#include <gtest/gtest.h>

#include "base/base.h"

namespace {

class Alloc : public ::testing::Test {
  protected:
    void SetUp() override { MemResetCounts(); }
    void TearDown() override { MemResetCounts(); }
};

TEST_F(Alloc, LiveCountFollowsAllocationsAndFrees) {
    void *a = MemAlloc(16);
    void *b = MemCalloc(4, 8);
    ASSERT_TRUE(a && b);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(static_cast<unsigned char *>(b)[i], 0);
    EXPECT_EQ(MemLiveCount(), 2);
    MemFree(a);
    MemFree(nullptr);
    EXPECT_EQ(MemLiveCount(), 1);
    MemFree(b);
    EXPECT_EQ(MemLiveCount(), 0);
    EXPECT_EQ(MemAllocationCount(), 2);
}

TEST_F(Alloc, TheNthAllocationFails) {
    MemFailAllocation(2);
    void *first = MemAlloc(8);
    void *second = MemCalloc(1, 8);
    void *third = MemAlloc(8);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(third, nullptr);
    EXPECT_EQ(MemAllocationCount(), 3);
    EXPECT_EQ(MemLiveCount(), 2);  // a failed attempt holds nothing
    MemFree(first);
    MemFree(third);
}

TEST_F(Alloc, ARunOfFailuresThenRecovery) {
    MemFailAllocation(1, 3);
    EXPECT_EQ(MemAlloc(1), nullptr);
    EXPECT_EQ(MemCalloc(1, 1), nullptr);
    EXPECT_EQ(MemAlloc(1), nullptr);
    void *ok = MemAlloc(1);
    EXPECT_NE(ok, nullptr);
    MemFree(ok);

    MemFailAllocation(0);
    ok = MemAlloc(0);  // a zero-size request still gives a block to free
    EXPECT_NE(ok, nullptr);
    MemFree(ok);
    EXPECT_EQ(MemLiveCount(), 0);
}

}  // namespace

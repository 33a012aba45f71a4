// Movable global blocks of the host stand-in: a handle keeps its contents and its
// size across resizing, as the growing output of the inflater needs.
#include "compat/win32_stand_in.h"

#include <gtest/gtest.h>

#include <string.h>

#if defined(__SANITIZE_ADDRESS__)
// An impossible size must come back as a null block here too, not as a report.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1";
}
#endif

namespace {

bool AllBytesAre(HGLOBAL block, size_t from, size_t to, unsigned char value)
{
    const unsigned char* data = static_cast<const unsigned char*>(GlobalLock(block));
    bool same = data != nullptr;
    for (size_t i = from; same && i < to; ++i)
        same = data[i] == value;
    GlobalUnlock(block);
    return same;
}

TEST(GlobalMemory, ZeroInitialisedBlockOfTheSizeAsked)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 5000);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 5000u);
    EXPECT_TRUE(AllBytesAre(block, 0, 5000, 0));
    EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemory, EmptyBlockCanBeLockedAndGrown)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 0u);
    EXPECT_NE(GlobalLock(block), nullptr);
    GlobalUnlock(block);
    HGLOBAL grown = GlobalReAlloc(block, 10, GMEM_MOVEABLE | GMEM_ZEROINIT);
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(GlobalSize(grown), 10u);
    EXPECT_TRUE(AllBytesAre(grown, 0, 10, 0));
    GlobalFree(grown);
}

TEST(GlobalMemory, ResizingKeepsTheContentsAndZeroesTheGrowth)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 100);
    ASSERT_NE(block, nullptr);
    memset(GlobalLock(block), 0xAB, 100);
    GlobalUnlock(block);
    // Grow by steps as the inflater does, past anything realloc keeps in place.
    for (size_t size = 100; size < 1000000; size += 8192) {
        HGLOBAL grown = GlobalReAlloc(block, size + 8192, GMEM_MOVEABLE | GMEM_ZEROINIT);
        ASSERT_NE(grown, nullptr);
        block = grown;
        ASSERT_EQ(GlobalSize(block), size + 8192);
        unsigned char* data = static_cast<unsigned char*>(GlobalLock(block));
        ASSERT_EQ(data[size], 0);
        ASSERT_EQ(data[size + 8191], 0);
        memset(data + size, 0xAB, 8192);
        GlobalUnlock(block);
    }
    size_t size = GlobalSize(block);
    EXPECT_TRUE(AllBytesAre(block, 0, size, 0xAB));

    HGLOBAL shrunk = GlobalReAlloc(block, 50, GMEM_MOVEABLE);
    ASSERT_NE(shrunk, nullptr);
    EXPECT_EQ(GlobalSize(shrunk), 50u);
    EXPECT_TRUE(AllBytesAre(shrunk, 0, 50, 0xAB));
    GlobalFree(shrunk);
}

TEST(GlobalMemory, LockCountsNest)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 8);
    void* first = GlobalLock(block);
    void* second = GlobalLock(block);
    EXPECT_EQ(first, second);
    EXPECT_NE(GlobalUnlock(block), FALSE);  // still locked once
    EXPECT_EQ(GlobalUnlock(block), FALSE);
    EXPECT_EQ(GlobalUnlock(block), FALSE);  // not locked at all
    GlobalFree(block);
}

TEST(GlobalMemory, LockedBlockMovesOnlyWhenAllowed)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 64);
    memset(GlobalLock(block), 0x22, 64);
    EXPECT_EQ(GlobalReAlloc(block, 1 << 20, 0), nullptr);
    EXPECT_EQ(GlobalSize(block), 64u);  // the refused block is unchanged
    EXPECT_TRUE(AllBytesAre(block, 0, 64, 0x22));
    GlobalUnlock(block);
    GlobalFree(block);
}

TEST(GlobalMemory, NullHandleIsRefusedEverywhere)
{
    EXPECT_EQ(GlobalLock(nullptr), nullptr);
    EXPECT_EQ(GlobalUnlock(nullptr), FALSE);
    EXPECT_EQ(GlobalSize(nullptr), 0u);
    EXPECT_EQ(GlobalReAlloc(nullptr, 10, GMEM_MOVEABLE), nullptr);
}

TEST(GlobalMemory, ImpossibleSizeFailsWithoutHarm)
{
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, SIZE_MAX / 2), nullptr);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 8);
    memset(GlobalLock(block), 0x33, 8);
    GlobalUnlock(block);
    EXPECT_EQ(GlobalReAlloc(block, SIZE_MAX / 2, GMEM_MOVEABLE), nullptr);
    EXPECT_EQ(GlobalSize(block), 8u);
    EXPECT_TRUE(AllBytesAre(block, 0, 8, 0x33));
    GlobalFree(block);
}

}  // namespace

#include "runtime/heap.h"

#include <gtest/gtest.h>

#include <cstring>

namespace runtime {
namespace {

TEST(Heap, ZeroFillAndGrowingKeepContents) {
  auto* p = static_cast<unsigned char*>(HeapAllocate(16, true));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], 0);
  std::memset(p, 0xAB, 16);
  p = static_cast<unsigned char*>(HeapReallocate(p, 64, true));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[15], 0xAB);
  EXPECT_EQ(p[16], 0);
  EXPECT_EQ(p[63], 0);
  HeapFree(p);
}

TEST(Heap, OversizedRequestsFailCleanly) {
  EXPECT_EQ(HeapAllocate(kHeapMaxRequest + 1, false), nullptr);
  void* p = HeapAllocate(8, false);
  EXPECT_EQ(HeapReallocate(p, UINT64_MAX, false), nullptr);
  HeapFree(p);
  uint64_t out;
  EXPECT_FALSE(SizeProduct(UINT64_MAX / 2, 3, &out));
  EXPECT_FALSE(SizeSum(UINT64_MAX, 1, &out));
}

TEST(Heap, CountTracksLiveBlocks) {
  const size_t before = HeapBlockCount();
  void* a = HeapAllocate(1, false);
  void* b = HeapAllocate(1, false);
  EXPECT_EQ(HeapBlockCount(), before + 2);
  HeapFree(a);
  HeapFree(b);
  HeapFree(nullptr);
  EXPECT_EQ(HeapBlockCount(), before);
}

}  // namespace
}  // namespace runtime

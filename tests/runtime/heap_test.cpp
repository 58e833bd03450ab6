#include "runtime/heap.h"

#include <gtest/gtest.h>

#include <cstring>

namespace runtime {
namespace {

TEST(Heap, ZeroFillGrowthLimitsAndCount) {
  const size_t before = HeapBlockCount();
  auto* p = static_cast<unsigned char*>(HeapAllocate(16, true));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], 0);
  std::memset(p, 0xAB, 16);
  p = static_cast<unsigned char*>(HeapReallocate(p, 64, true));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[15], 0xAB);
  EXPECT_EQ(p[16], 0);
  EXPECT_EQ(p[63], 0);
  void* q = HeapAllocate(1, false);
  EXPECT_EQ(HeapBlockCount(), before + 2);
  EXPECT_EQ(HeapAllocate(kHeapMaxRequest + 1, false), nullptr);
  EXPECT_EQ(HeapReallocate(q, UINT64_MAX, false), nullptr);  // the old block stays
  HeapFree(p);
  HeapFree(q);
  HeapFree(nullptr);
  EXPECT_EQ(HeapBlockCount(), before);
}

}  // namespace
}  // namespace runtime

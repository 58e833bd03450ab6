// The heap and the block pool above it: limits, zero fill, and every block given back.
#include "runtime/block_pool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "runtime/heap.h"

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

TEST(BlockPool, SlotSizeAddsTheHeaderAndRoundsToEightAndNonsenseIsRefused) {
  struct Case {
    int64_t block_size;
    int32_t min_per_chunk;
    int64_t slot_size;  // 0: refused
  };
  for (const Case& c : {Case{56, 16, 64}, Case{57, 16, 72}, Case{0, 16, 8}, Case{-1, 16, 0}, Case{8, 0, 0}}) {
    BlockPool* pool = CreateBlockPool(c.block_size, c.min_per_chunk, 256, 0);
    EXPECT_EQ(pool ? pool->slot_size : 0, c.slot_size) << c.block_size;
    DestroyBlockPool(pool);
  }
  EXPECT_EQ(PoolAllocate(nullptr), nullptr);
}

// A new chunk holds a sixteenth of the pool's blocks (in steps of 16), kept within the bounds.
TEST(BlockPool, ChunkCapacityGrowsWithThePoolWithinTheBounds) {
  struct Case {
    int32_t min, max;
    int64_t blocks;  // allocate until the pool holds more than this
    int64_t total, capacity;
  };
  for (const Case& c : {Case{16, 256, 0, 16, 16}, Case{16, 256, 16, 32, 16}, Case{16, 256, 511, 512, 16},
                        Case{16, 256, 512, 544, 32}, Case{16, 48, 2000, 2016, 48}}) {
    SCOPED_TRACE(c.blocks);
    BlockPool* pool = CreateBlockPool(24, c.min, c.max, 0);
    std::vector<void*> blocks;
    while (pool->total_blocks <= c.blocks) blocks.push_back(PoolAllocate(pool));
    EXPECT_EQ(pool->total_blocks, c.total);
    EXPECT_EQ(pool->open_chunks->capacity, c.capacity);
    for (size_t i = 0; i < blocks.size(); i += 2) PoolFree(pool, blocks[i]);
    PoolFreeAll(pool);
    EXPECT_EQ(pool->total_blocks, 0);
    EXPECT_EQ(pool->open_chunks, nullptr);
    EXPECT_EQ(pool->full_chunks, nullptr);
    DestroyBlockPool(pool);
  }
}

TEST(BlockPool, FreedBlocksAreReusedAndEmptiedChunksGoBackToTheHeap) {
  const size_t heap_before = HeapBlockCount();
  BlockPool* pool = CreateBlockPool(16, 4, 4, 0);
  std::vector<void*> blocks;
  for (int i = 0; i < 8; ++i) {
    blocks.push_back(PoolAllocate(pool));
    std::memset(blocks.back(), i, 16);
  }
  EXPECT_EQ(HeapBlockCount(), heap_before + 3);  // the pool and two chunks
  PoolFree(pool, blocks[1]);
  EXPECT_EQ(PoolAllocate(pool), blocks[1]);  // the free list is used before fresh slots
  EXPECT_EQ(HeapBlockCount(), heap_before + 3);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(static_cast<unsigned char*>(blocks[i])[15], i == 1 ? 1 : i);  // no overlap
  for (int i = 0; i < 4; ++i) PoolFree(pool, blocks[i]);
  EXPECT_EQ(HeapBlockCount(), heap_before + 2);
  EXPECT_EQ(pool->total_blocks, 4);
  DestroyBlockPool(pool);
  EXPECT_EQ(HeapBlockCount(), heap_before);
}

}  // namespace
}  // namespace runtime

#include "runtime/block_pool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "runtime/heap.h"

namespace runtime {
namespace {

int ChunkCount(const PoolChunk* chunk) {
  int n = 0;
  for (; chunk; chunk = chunk->next) ++n;
  return n;
}

TEST(BlockPool, SlotSizeAddsTheHeaderAndRoundsToEight) {
  BlockPool* a = CreateBlockPool(56, 16, 256, 0);
  BlockPool* b = CreateBlockPool(57, 16, 256, 0);
  BlockPool* c = CreateBlockPool(0, 16, 256, 0);
  EXPECT_EQ(a->slot_size, 64);
  EXPECT_EQ(b->slot_size, 72);
  EXPECT_EQ(c->slot_size, 8);
  DestroyBlockPool(a);
  DestroyBlockPool(b);
  DestroyBlockPool(c);
}

TEST(BlockPool, ChunksHoldSixteenUntilThePoolReaches512ThenASixteenth) {
  BlockPool* pool = CreateBlockPool(24, 16, 256, 0);
  std::vector<void*> blocks;
  blocks.push_back(PoolAllocate(pool));
  EXPECT_EQ(pool->total_blocks, 16);
  for (int i = 1; i < 17; ++i) blocks.push_back(PoolAllocate(pool));
  EXPECT_EQ(pool->total_blocks, 32);  // the 17th block came from a second chunk of 16
  EXPECT_EQ(pool->open_chunks->capacity, 16);
  while (pool->total_blocks < 512) blocks.push_back(PoolAllocate(pool));
  EXPECT_EQ(pool->total_blocks, 512);
  while (pool->total_blocks == 512) blocks.push_back(PoolAllocate(pool));
  EXPECT_EQ(pool->total_blocks, 544);  // 512 / 16 = 32
  EXPECT_EQ(pool->open_chunks->capacity, 32);
  for (void* block : blocks) PoolFree(pool, block);
  EXPECT_EQ(pool->total_blocks, 0);
  DestroyBlockPool(pool);
}

TEST(BlockPool, ChunkCapacityStaysWithinTheBounds) {
  BlockPool* pool = CreateBlockPool(8, 16, 48, 0);
  std::vector<void*> blocks;
  while (pool->total_blocks < 2000) blocks.push_back(PoolAllocate(pool));
  EXPECT_EQ(pool->open_chunks->capacity, 48);
  PoolFreeAll(pool);
  EXPECT_EQ(pool->total_blocks, 0);
  EXPECT_EQ(pool->open_chunks, nullptr);
  EXPECT_EQ(pool->full_chunks, nullptr);
  DestroyBlockPool(pool);
}

TEST(BlockPool, AnEmptiedChunkGoesBackToTheHeapAtOnce) {
  const size_t before = HeapBlockCount();
  BlockPool* pool = CreateBlockPool(40, 16, 256, 0);
  void* block = PoolAllocate(pool);
  EXPECT_EQ(HeapBlockCount(), before + 2);
  PoolFree(pool, block);
  EXPECT_EQ(pool->total_blocks, 0);
  EXPECT_EQ(HeapBlockCount(), before + 1);
  DestroyBlockPool(pool);
  EXPECT_EQ(HeapBlockCount(), before);
}

TEST(BlockPool, FullChunksMoveBetweenListsAndBlocksDoNotOverlap) {
  BlockPool* pool = CreateBlockPool(16, 4, 4, 0);
  std::vector<void*> blocks;
  for (int i = 0; i < 8; ++i) {
    blocks.push_back(PoolAllocate(pool));
    std::memset(blocks.back(), i, 16);
  }
  EXPECT_EQ(ChunkCount(pool->full_chunks), 2);
  EXPECT_EQ(pool->open_chunks, nullptr);
  PoolFree(pool, blocks[1]);
  EXPECT_EQ(ChunkCount(pool->full_chunks), 1);
  EXPECT_EQ(ChunkCount(pool->open_chunks), 1);
  void* reused = PoolAllocate(pool);
  EXPECT_EQ(reused, blocks[1]);  // the free list is used before fresh slots
  EXPECT_EQ(ChunkCount(pool->full_chunks), 2);
  for (int i = 0; i < 8; ++i) {
    if (i == 1) continue;
    EXPECT_EQ(static_cast<unsigned char*>(blocks[i])[15], i);
  }
  DestroyBlockPool(pool);
}

TEST(BlockPool, SharedPoolsAreCountedAndMatchedBySizeAndMode) {
  BlockPool* a = CreateBlockPool(100, 16, 256, kPoolShared);
  BlockPool* b = CreateBlockPool(100, 16, 256, kPoolShared);
  BlockPool* other_mode = CreateBlockPool(100, 16, 256, kPoolShared | kPoolLocked);
  BlockPool* other_size = CreateBlockPool(200, 16, 256, kPoolShared);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, other_mode);
  EXPECT_NE(a, other_size);
  void* block = PoolAllocate(a);
  DestroyBlockPool(a);
  PoolFree(b, block);  // survives the first destroy
  EXPECT_EQ(b->total_blocks, 0);
  DestroyBlockPool(b);
  BlockPool* fresh = CreateBlockPool(100, 16, 256, kPoolShared);
  EXPECT_EQ(fresh->share_entry != nullptr, true);
  DestroyBlockPool(fresh);
  DestroyBlockPool(other_mode);
  DestroyBlockPool(other_size);
}

TEST(BlockPool, LockedPoolServesSeveralThreads) {
  BlockPool* pool = CreateBlockPool(32, 16, 256, kPoolLocked);
  ASSERT_EQ(pool->locked, 1u);
  auto work = [pool] {
    std::vector<void*> mine;
    for (int round = 0; round < 200; ++round) {
      for (int i = 0; i < 50; ++i) mine.push_back(PoolAllocate(pool));
      for (void* block : mine) PoolFree(pool, block);
      mine.clear();
    }
  };
  std::thread t1(work), t2(work);
  t1.join();
  t2.join();
  EXPECT_EQ(pool->total_blocks, 0);
  DestroyBlockPool(pool);
}

TEST(BlockPool, RejectsNonsenseSizes) {
  EXPECT_EQ(CreateBlockPool(-1, 16, 256, 0), nullptr);
  EXPECT_EQ(CreateBlockPool(8, 0, 256, 0), nullptr);
  EXPECT_EQ(PoolAllocate(nullptr), nullptr);
}

}  // namespace
}  // namespace runtime

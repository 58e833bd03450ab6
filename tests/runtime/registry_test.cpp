// The heap with its limits, the block pool above it, and the registry that numbers every record.
#include "runtime/registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "runtime/block_pool.h"
#include "runtime/heap.h"

namespace runtime {
namespace {

TEST(Heap, ZeroFillLimitsAndCount) {
  const size_t before = HeapBlockCount();
  auto* p = static_cast<unsigned char*>(HeapAllocate(16, true));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], 0);
  EXPECT_EQ(HeapBlockCount(), before + 1);
  EXPECT_EQ(HeapAllocate(kHeapMaxRequest + 1, false), nullptr);
  EXPECT_EQ(HeapReallocate(p, UINT64_MAX, false), nullptr);  // the old block stays
  HeapFree(p);
  HeapFree(nullptr);
  EXPECT_EQ(HeapBlockCount(), before);
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
  EXPECT_EQ(CreateBlockPool(-1, 16, 256, 0), nullptr);
  EXPECT_EQ(CreateBlockPool(8, 0, 256, 0), nullptr);
  EXPECT_EQ(PoolAllocate(nullptr), nullptr);
}

struct Record {
  uint64_t handle;  // non-zero while live
  uint64_t payload;
};

// The release operation of a toy library: records which numbers it was asked to release.
ObjectRegistry* g_registry = nullptr;
std::vector<ObjectNumber> g_released;

void ReleaseRecord(ObjectNumber number) {
  g_released.push_back(number);
  if (FindObject(g_registry, number)) ReleaseObject(g_registry, number);
}

Record* Make(ObjectNumber number, uint64_t handle = 7) {
  auto* record = AcquireRecord<Record>(g_registry, number);
  if (record) record->handle = handle;
  return record;
}

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    g_registry = CreateRecordRegistry<Record>(16, ReleaseRecord);
    g_released.clear();
  }
};

// A fixed number keeps its record's memory: released it is zero-filled and found no more; acquired
// while live it is released through the library first. One beyond the table grows it by the step.
TEST_F(Registry, FixedNumbersKeepTheirRecordThroughReleaseAndReacquire) {
  for (ObjectNumber number : {0, 16}) {
    SCOPED_TRACE(number);
    Record* record = Make(number);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(g_registry->capacity, number < 16 ? 16 : number + 16);
    EXPECT_EQ(FindObject(g_registry, number), record);
    record->payload = 99;
    ReleaseObject(g_registry, number);
    EXPECT_EQ(FindObject(g_registry, number), nullptr);
    EXPECT_EQ(record->payload, 0u);
    EXPECT_EQ(Make(number), record);
    record->payload = 5;
    g_released.clear();
    EXPECT_EQ(AcquireRecord<Record>(g_registry, number), record);
    EXPECT_EQ(g_released, std::vector<ObjectNumber>{number});
    EXPECT_EQ(record->handle, 0u);
    EXPECT_EQ(record->payload, 0u);
  }
}

TEST_F(Registry, NumbersOutsideTheDesignNameNothing) {
  Record* a = Make(AnyId);
  Record local{1, 2};
  for (ObjectNumber n :
       {ObjectNumber{-2}, ObjectNumber{INT64_MIN}, ObjectNumber{1000}, NumberOfRecord(&local), NumberOfRecord(a) + 8}) {
    EXPECT_EQ(FindObject(g_registry, n), nullptr) << n;
    ReleaseObject(g_registry, n);  // must not touch anything
  }
  EXPECT_EQ(local.handle, 1u);
  EXPECT_EQ(FindObject(g_registry, NumberOfRecord(a)), a);
  EXPECT_EQ(AcquireObject(g_registry, -2), nullptr);
  // A number too large for the slot array fails and leaves the table as it was.
  EXPECT_EQ(AcquireObject(g_registry, INT64_MAX - 3), nullptr);
  EXPECT_EQ(AcquireObject(g_registry, int64_t{1} << 60), nullptr);
  EXPECT_EQ(g_registry->capacity, 16);
}

TEST_F(Registry, ReleaseAllVisitsFixedAscendingThenAnyIdNewestFirst) {
  Make(5);
  const ObjectNumber older = NumberOfRecord(Make(AnyId));
  Make(0);
  const ObjectNumber newer = NumberOfRecord(Make(AnyId));
  Make(17);
  AcquireRecord<Record>(g_registry, 9);  // acquired but never filled: not live, not visited
  ReleaseAllObjects(g_registry);
  EXPECT_EQ(g_released, (std::vector<ObjectNumber>{0, 5, 17, newer, older}));
  EXPECT_EQ(FindObject(g_registry, 5), nullptr);
  EXPECT_EQ(CreateRegistry(0, 16, nullptr), nullptr);
  EXPECT_EQ(CreateRegistry(8, 0, nullptr), nullptr);
}

// An AnyId number is its record's address, found until it is released.
TEST_F(Registry, ManyAnyIdObjectsStayFindableThroughReleases) {
  std::vector<ObjectNumber> numbers;
  for (int i = 0; i < 1000; ++i) numbers.push_back(NumberOfRecord(Make(AnyId, i + 1)));
  for (size_t i = 0; i < numbers.size(); i += 2) ReleaseObject(g_registry, numbers[i]);
  for (size_t i = 0; i < numbers.size(); ++i) {
    auto* record = FindRecord<Record>(g_registry, numbers[i]);
    EXPECT_EQ(record, i % 2 ? reinterpret_cast<Record*>(numbers[i]) : nullptr) << i;
    EXPECT_EQ(record ? record->handle : i + 1, i + 1);
  }
}

}  // namespace
}  // namespace runtime

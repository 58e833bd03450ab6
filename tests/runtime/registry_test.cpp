#include "runtime/registry.h"

#include <gtest/gtest.h>

#include <vector>

namespace runtime {
namespace {

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

TEST_F(Registry, FixedNumberBeyondCapacityGrowsByTheStep) {
  EXPECT_EQ(g_registry->capacity, 16);
  ASSERT_NE(Make(20), nullptr);
  EXPECT_EQ(g_registry->capacity, 36);
  for (int n = 16; n < 36; ++n) EXPECT_EQ(FindObject(g_registry, n) != nullptr, n == 20) << n;
}

// A fixed number keeps its record's memory: released it is zero-filled and found no more; acquired
// while live it is released through the library first.
TEST_F(Registry, FixedNumbersKeepTheirRecordThroughReleaseAndReacquire) {
  Record* record = Make(3);
  record->payload = 99;
  ReleaseObject(g_registry, 3);
  EXPECT_EQ(FindObject(g_registry, 3), nullptr);
  EXPECT_EQ(record->payload, 0u);
  EXPECT_EQ(Make(3), record);
  record->payload = 5;
  g_released.clear();
  auto* again = AcquireRecord<Record>(g_registry, 3);
  EXPECT_EQ(again, record);
  EXPECT_EQ(g_released, std::vector<ObjectNumber>{3});
  EXPECT_EQ(again->handle, 0u);
  EXPECT_EQ(again->payload, 0u);
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
  EXPECT_EQ(g_registry->list_head, nullptr);
  EXPECT_EQ(FindObject(g_registry, 5), nullptr);
}

TEST_F(Registry, ReleaseAllEndsWhateverTheLibraryDoes) {
  AcquireObject(g_registry, AnyId);  // never filled: the library's release finds nothing
  ReleaseAllObjects(g_registry);
  EXPECT_EQ(g_registry->list_head, nullptr);
  ObjectRegistry* bare = CreateRecordRegistry<Record>(4, nullptr);
  auto* record = AcquireRecord<Record>(bare, 1);
  record->handle = 1;
  ReleaseAllObjects(bare);  // without a release operation nothing is released
  EXPECT_EQ(FindObject(bare, 1), record);
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

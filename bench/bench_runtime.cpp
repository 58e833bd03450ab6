// Registry lookups and pool allocation, each beside a baseline measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "runtime/block_pool.h"
#include "runtime/registry.h"

namespace {

struct Record {
  uint64_t handle;
  uint64_t payload[3];
};

runtime::ObjectRegistry* MakeRegistry(std::vector<runtime::ObjectNumber>& anyid) {
  auto* registry = runtime::CreateRecordRegistry<Record>(16, nullptr);
  for (int n = 0; n < 64; ++n) runtime::AcquireRecord<Record>(registry, n)->handle = 1;
  for (int n = 0; n < 1024; ++n) {
    auto* record = runtime::AcquireRecord<Record>(registry, runtime::AnyId);
    record->handle = 1;
    anyid.push_back(runtime::NumberOfRecord(record));
  }
  return registry;
}

void BM_FindObjectFixed(benchmark::State& state) {
  std::vector<runtime::ObjectNumber> anyid;
  auto* registry = MakeRegistry(anyid);
  int64_t n = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(runtime::FindObject(registry, n));
    n = (n + 1) & 63;
  }
}
BENCHMARK(BM_FindObjectFixed);

void BM_FindObjectAnyId(benchmark::State& state) {
  std::vector<runtime::ObjectNumber> anyid;
  auto* registry = MakeRegistry(anyid);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(runtime::FindObject(registry, anyid[i]));
    i = (i + 1) & 1023;
  }
}
BENCHMARK(BM_FindObjectAnyId);

// Baseline: the standard hash map keyed by the same numbers.
void BM_UnorderedMapFind(benchmark::State& state) {
  std::vector<runtime::ObjectNumber> anyid;
  MakeRegistry(anyid);
  std::unordered_map<int64_t, Record*> map;
  for (auto number : anyid) map[number] = reinterpret_cast<Record*>(number);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(map.find(anyid[i]));
    i = (i + 1) & 1023;
  }
}
BENCHMARK(BM_UnorderedMapFind);

// A queue-like pattern: keep `live` blocks, replace the oldest each step.
void BM_PoolAllocateFree(benchmark::State& state) {
  runtime::BlockPool* pool = runtime::CreateBlockPool(48, 16, 256, 0);
  std::vector<void*> live(static_cast<size_t>(state.range(0)));
  for (auto& block : live) block = runtime::PoolAllocate(pool);
  size_t i = 0;
  for (auto _ : state) {
    runtime::PoolFree(pool, live[i]);
    live[i] = runtime::PoolAllocate(pool);
    benchmark::DoNotOptimize(live[i]);
    i = (i + 1) % live.size();
  }
  runtime::DestroyBlockPool(pool);
}
BENCHMARK(BM_PoolAllocateFree)->Arg(1)->Arg(64)->Arg(4096);

void BM_MallocFree(benchmark::State& state) {
  std::vector<void*> live(static_cast<size_t>(state.range(0)));
  for (auto& block : live) block = std::malloc(48);
  size_t i = 0;
  for (auto _ : state) {
    std::free(live[i]);
    live[i] = std::malloc(48);
    benchmark::DoNotOptimize(live[i]);
    i = (i + 1) % live.size();
  }
  for (void* block : live) std::free(block);
}
BENCHMARK(BM_MallocFree)->Arg(1)->Arg(64)->Arg(4096);

}  // namespace

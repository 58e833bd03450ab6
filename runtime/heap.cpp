#include "runtime/heap.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace runtime {
namespace {

// Every block carries a header linking it into the heap's list, so that destroying the heap can
// free what its owners never gave back.
struct alignas(16) BlockHeader {
  BlockHeader* next;
  BlockHeader* prev;
  uint64_t size;
  uint64_t reserved;
};

struct PrivateHeap {
  std::mutex lock;
  BlockHeader* head = nullptr;
  size_t count = 0;
};

PrivateHeap& Heap() {
  static PrivateHeap* heap = new PrivateHeap;  // outlives every static that might still free into it
  return *heap;
}

void Link(PrivateHeap& heap, BlockHeader* header) {
  header->prev = nullptr;
  header->next = heap.head;
  if (heap.head) heap.head->prev = header;
  heap.head = header;
  ++heap.count;
}

void Unlink(PrivateHeap& heap, BlockHeader* header) {
  if (header->prev)
    header->prev->next = header->next;
  else
    heap.head = header->next;
  if (header->next) header->next->prev = header->prev;
  --heap.count;
}

BlockHeader* HeaderOf(void* block) { return static_cast<BlockHeader*>(block) - 1; }

}  // namespace

void HeapCreate(size_t) { Heap(); }

void HeapDestroy() {
  PrivateHeap& heap = Heap();
  std::lock_guard guard(heap.lock);
  while (heap.head) {
    BlockHeader* header = heap.head;
    heap.head = header->next;
    std::free(header);
  }
  heap.count = 0;
}

void* HeapAllocate(uint64_t size, bool zero_fill) {
  if (size > kHeapMaxRequest) return nullptr;
  const size_t total = sizeof(BlockHeader) + static_cast<size_t>(size);
  auto* header = static_cast<BlockHeader*>(zero_fill ? std::calloc(1, total) : std::malloc(total));
  if (!header) return nullptr;
  header->size = size;
  PrivateHeap& heap = Heap();
  std::lock_guard guard(heap.lock);
  Link(heap, header);
  return header + 1;
}

void* HeapReallocate(void* block, uint64_t size, bool zero_fill) {
  if (!block) return HeapAllocate(size, zero_fill);
  if (size > kHeapMaxRequest) return nullptr;
  PrivateHeap& heap = Heap();
  std::lock_guard guard(heap.lock);
  BlockHeader* header = HeaderOf(block);
  const uint64_t old_size = header->size;
  Unlink(heap, header);
  auto* moved = static_cast<BlockHeader*>(std::realloc(header, sizeof(BlockHeader) + static_cast<size_t>(size)));
  if (!moved) {
    Link(heap, header);
    return nullptr;
  }
  moved->size = size;
  Link(heap, moved);
  if (zero_fill && size > old_size) std::memset(reinterpret_cast<char*>(moved + 1) + old_size, 0, size - old_size);
  return moved + 1;
}

void HeapFree(void* block) {
  if (!block) return;
  PrivateHeap& heap = Heap();
  BlockHeader* header = HeaderOf(block);
  {
    std::lock_guard guard(heap.lock);
    Unlink(heap, header);
  }
  std::free(header);
}

size_t HeapBlockCount() {
  PrivateHeap& heap = Heap();
  std::lock_guard guard(heap.lock);
  return heap.count;
}

}  // namespace runtime

// Fixed-size blocks handed out from chunks of the private heap; a chunk goes back to the heap as
// soon as every block taken from it has been returned.
#pragma once

#include <pthread.h>

#include <cstdint>

namespace runtime {

struct PoolChunk;
struct SharedPoolEntry;

// Mode bits given at creation.
constexpr int32_t kPoolLockMask = 3;  // low two bits equal to kPoolLocked: the pool has its own lock
constexpr int32_t kPoolLocked = 1;
constexpr int32_t kPoolShared = 4;  // share one pool among requests of equal slot size and mode

struct BlockPool {
  PoolChunk* full_chunks;        // chunks with no block left to hand out
  PoolChunk* open_chunks;        // chunks that still have room
  SharedPoolEntry* share_entry;  // nullptr for a private pool
  int64_t total_blocks;          // sum of the capacities of all chunks
  int64_t slot_size;             // block size + 8-byte header, rounded up to a multiple of 8
  int32_t min_per_chunk;
  int32_t max_per_chunk;
  uint32_t locked;
  pthread_mutex_t lock;  // initialised only when locked
};

struct PoolChunk {
  PoolChunk* next;
  PoolChunk* prev;
  void* free_head;     // a returned slot; its header holds the next returned slot
  int32_t capacity;    // slots in this chunk
  int32_t handed_out;  // slots from the start that have ever been handed out
  int32_t free_count;  // slots on the free list
};

// nullptr when memory runs out or the sizes make no sense (block size < 0, minimum < 1).
BlockPool* CreateBlockPool(int64_t block_size, int32_t min_per_chunk, int32_t max_per_chunk, int32_t mode);
// The block's content is not cleared. nullptr only when not even a one-slot chunk can be had.
void* PoolAllocate(BlockPool* pool);
void PoolFree(BlockPool* pool, void* block);
void PoolFreeAll(BlockPool* pool);
void DestroyBlockPool(BlockPool* pool);

}  // namespace runtime

#include "runtime/block_pool.h"

#include "runtime/heap.h"

namespace runtime {

struct SharedPoolEntry {
  SharedPoolEntry* next;
  SharedPoolEntry* prev;
  BlockPool* pool;
  int64_t slot_size;
  int32_t mode;
  int32_t references;
};

namespace {

constexpr int64_t kSlotHeader = 8;

// Guards only the list of shared pools, never allocation in them.
pthread_mutex_t g_shared_lock = PTHREAD_MUTEX_INITIALIZER;
SharedPoolEntry* g_shared_pools = nullptr;

class PoolGuard {
 public:
  explicit PoolGuard(BlockPool* pool) : pool_(pool) {
    if (pool_->locked) pthread_mutex_lock(&pool_->lock);
  }
  ~PoolGuard() {
    if (pool_->locked) pthread_mutex_unlock(&pool_->lock);
  }
  PoolGuard(const PoolGuard&) = delete;
  PoolGuard& operator=(const PoolGuard&) = delete;

 private:
  BlockPool* pool_;
};

char* SlotAt(PoolChunk* chunk, int64_t slot_size, int32_t index) {
  return reinterpret_cast<char*>(chunk + 1) + slot_size * index;
}

void PushChunk(PoolChunk** list, PoolChunk* chunk) {
  chunk->prev = nullptr;
  chunk->next = *list;
  if (*list) (*list)->prev = chunk;
  *list = chunk;
}

void UnlinkChunk(PoolChunk** list, PoolChunk* chunk) {
  if (chunk->prev)
    chunk->prev->next = chunk->next;
  else
    *list = chunk->next;
  if (chunk->next) chunk->next->prev = chunk->prev;
}

void FreeChunkList(PoolChunk* chunk) {
  while (chunk) {
    PoolChunk* next = chunk->next;
    HeapFree(chunk);
    chunk = next;
  }
}

PoolChunk* AllocateChunk(int64_t slot_size, int64_t capacity) {
  uint64_t bytes;
  if (!SizeProduct(static_cast<uint64_t>(slot_size), static_cast<uint64_t>(capacity), &bytes) ||
      !SizeSum(bytes, sizeof(PoolChunk), &bytes))
    return nullptr;
  return static_cast<PoolChunk*>(HeapAllocate(bytes, false));
}

// A sixteenth of the pool cut down to a multiple of 16, within the pool's bounds.
int64_t NextChunkCapacity(const BlockPool* pool) {
  int64_t capacity = (pool->total_blocks / 16) & ~int64_t{15};
  if (capacity < pool->min_per_chunk) capacity = pool->min_per_chunk;
  if (capacity > pool->max_per_chunk) capacity = pool->max_per_chunk;
  return capacity;
}

void* HandOut(PoolChunk* chunk, char* slot) {
  *reinterpret_cast<PoolChunk**>(slot) = chunk;
  return slot + kSlotHeader;
}

BlockPool* CreatePrivatePool(int64_t slot_size, int32_t min_per_chunk, int32_t max_per_chunk, int32_t mode) {
  auto* pool = static_cast<BlockPool*>(HeapAllocate(sizeof(BlockPool), true));
  if (!pool) return nullptr;
  pool->slot_size = slot_size;
  pool->min_per_chunk = min_per_chunk;
  pool->max_per_chunk = max_per_chunk;
  if ((mode & kPoolLockMask) == kPoolLocked) {
    if (pthread_mutex_init(&pool->lock, nullptr) != 0) {
      HeapFree(pool);
      return nullptr;
    }
    pool->locked = 1;
  }
  return pool;
}

void DestroyPrivatePool(BlockPool* pool) {
  PoolFreeAll(pool);
  if (pool->locked) pthread_mutex_destroy(&pool->lock);
  HeapFree(pool);
}

}  // namespace

BlockPool* CreateBlockPool(int64_t block_size, int32_t min_per_chunk, int32_t max_per_chunk, int32_t mode) {
  if (block_size < 0 || block_size > (int64_t{1} << 32) || min_per_chunk < 1) return nullptr;
  if (max_per_chunk < min_per_chunk) max_per_chunk = min_per_chunk;
  const int64_t slot_size = (block_size + kSlotHeader + 7) & ~int64_t{7};
  if (!(mode & kPoolShared)) return CreatePrivatePool(slot_size, min_per_chunk, max_per_chunk, mode);

  pthread_mutex_lock(&g_shared_lock);
  BlockPool* pool = nullptr;
  for (SharedPoolEntry* entry = g_shared_pools; entry; entry = entry->next) {
    if (entry->slot_size == slot_size && entry->mode == mode) {
      ++entry->references;
      pool = entry->pool;
      break;
    }
  }
  if (!pool) {
    auto* entry = static_cast<SharedPoolEntry*>(HeapAllocate(sizeof(SharedPoolEntry), true));
    pool = entry ? CreatePrivatePool(slot_size, min_per_chunk, max_per_chunk, mode & ~kPoolShared) : nullptr;
    if (pool) {
      *entry = {g_shared_pools, nullptr, pool, slot_size, mode, 1};
      if (g_shared_pools) g_shared_pools->prev = entry;
      g_shared_pools = entry;
      pool->share_entry = entry;
    } else {
      HeapFree(entry);
    }
  }
  pthread_mutex_unlock(&g_shared_lock);
  return pool;
}

void* PoolAllocate(BlockPool* pool) {
  if (!pool) return nullptr;
  PoolGuard guard(pool);
  if (PoolChunk* chunk = pool->open_chunks) {
    char* slot;
    if (chunk->free_count == 0) {
      slot = SlotAt(chunk, pool->slot_size, chunk->handed_out++);
    } else {
      slot = static_cast<char*>(chunk->free_head);
      chunk->free_head = *reinterpret_cast<void**>(slot);
      --chunk->free_count;
    }
    if (chunk->free_count == 0 && chunk->handed_out == chunk->capacity) {
      UnlinkChunk(&pool->open_chunks, chunk);
      PushChunk(&pool->full_chunks, chunk);
    }
    return HandOut(chunk, slot);
  }
  int64_t capacity = NextChunkCapacity(pool);
  PoolChunk* chunk = AllocateChunk(pool->slot_size, capacity);
  if (!chunk) {
    capacity = 1;
    chunk = AllocateChunk(pool->slot_size, capacity);
    if (!chunk) return nullptr;
  }
  *chunk = {nullptr, nullptr, nullptr, static_cast<int32_t>(capacity), 1, 0};
  pool->total_blocks += capacity;
  PushChunk(capacity == 1 ? &pool->full_chunks : &pool->open_chunks, chunk);
  return HandOut(chunk, SlotAt(chunk, pool->slot_size, 0));
}

void PoolFree(BlockPool* pool, void* block) {
  if (!pool || !block) return;
  PoolGuard guard(pool);
  char* slot = static_cast<char*>(block) - kSlotHeader;
  PoolChunk* chunk = *reinterpret_cast<PoolChunk**>(slot);
  *reinterpret_cast<void**>(slot) = chunk->free_head;
  chunk->free_head = slot;
  ++chunk->free_count;
  if (chunk->free_count == chunk->handed_out) {
    UnlinkChunk(chunk->capacity == 1 ? &pool->full_chunks : &pool->open_chunks, chunk);
    pool->total_blocks -= chunk->capacity;
    HeapFree(chunk);
  } else if (chunk->free_count == 1 && chunk->handed_out == chunk->capacity) {
    UnlinkChunk(&pool->full_chunks, chunk);
    PushChunk(&pool->open_chunks, chunk);
  }
}

void PoolFreeAll(BlockPool* pool) {
  if (!pool) return;
  PoolGuard guard(pool);
  FreeChunkList(pool->open_chunks);
  FreeChunkList(pool->full_chunks);
  pool->open_chunks = pool->full_chunks = nullptr;
  pool->total_blocks = 0;
}

void DestroyBlockPool(BlockPool* pool) {
  if (!pool) return;
  if (SharedPoolEntry* entry = pool->share_entry) {
    pthread_mutex_lock(&g_shared_lock);
    if (--entry->references < 1) {
      pool->share_entry = nullptr;
      if (entry->prev)
        entry->prev->next = entry->next;
      else
        g_shared_pools = entry->next;
      if (entry->next) entry->next->prev = entry->prev;
      HeapFree(entry);
      DestroyPrivatePool(pool);
    }
    pthread_mutex_unlock(&g_shared_lock);
    return;
  }
  DestroyPrivatePool(pool);
}

}  // namespace runtime

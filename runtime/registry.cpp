#include "runtime/registry.h"

#include <cstring>

#include "runtime/heap.h"

namespace runtime {

struct AnyIdLink {
  AnyIdLink* next;
  AnyIdLink* prev;
};
static_assert(sizeof(AnyIdLink) == 16, "records after the link stay 16-byte aligned");

// Open-addressing set of the record addresses handed out for AnyId, so that a number can be
// recognised in constant time without ever reading memory it merely claims to name.
struct AnyIdIndex {
  uint64_t* keys;     // 0 = empty, 1 = removed, else a record address
  uint64_t capacity;  // a power of two
  uint64_t used;      // occupied or removed
};

namespace {

constexpr uint64_t kEmpty = 0, kRemoved = 1;

uint64_t Probe(uint64_t key, uint64_t mask) {
  key ^= key >> 33;
  key *= 0xff51afd7ed558ccdULL;
  key ^= key >> 33;
  return key & mask;
}

bool IndexContains(const AnyIdIndex* index, uint64_t key) {
  if (!index || index->capacity == 0) return false;
  const uint64_t mask = index->capacity - 1;
  for (uint64_t i = Probe(key, mask);; i = (i + 1) & mask) {
    if (index->keys[i] == key) return true;
    if (index->keys[i] == kEmpty) return false;
  }
}

bool IndexRehash(AnyIdIndex* index, uint64_t capacity) {
  auto* keys = static_cast<uint64_t*>(HeapAllocate(capacity * sizeof(uint64_t), true));
  if (!keys) return false;
  uint64_t used = 0;
  for (uint64_t i = 0; i < index->capacity; ++i) {
    const uint64_t key = index->keys[i];
    if (key == kEmpty || key == kRemoved) continue;
    uint64_t j = Probe(key, capacity - 1);
    while (keys[j] != kEmpty) j = (j + 1) & (capacity - 1);
    keys[j] = key;
    ++used;
  }
  HeapFree(index->keys);
  index->keys = keys;
  index->capacity = capacity;
  index->used = used;
  return true;
}

bool IndexInsert(AnyIdIndex* index, uint64_t key) {
  if ((index->used + 1) * 2 > index->capacity) {
    uint64_t live = 0;
    for (uint64_t i = 0; i < index->capacity; ++i) live += index->keys[i] > kRemoved;
    uint64_t capacity = 16;
    while ((live + 1) * 4 > capacity) capacity *= 2;
    if (!IndexRehash(index, capacity)) return false;
  }
  const uint64_t mask = index->capacity - 1;
  uint64_t i = Probe(key, mask);
  while (index->keys[i] > kRemoved) i = (i + 1) & mask;
  if (index->keys[i] == kEmpty) ++index->used;
  index->keys[i] = key;
  return true;
}

void IndexErase(AnyIdIndex* index, uint64_t key) {
  const uint64_t mask = index->capacity - 1;
  for (uint64_t i = Probe(key, mask);; i = (i + 1) & mask) {
    if (index->keys[i] == key) {
      index->keys[i] = kRemoved;
      return;
    }
    if (index->keys[i] == kEmpty) return;
  }
}

bool IsLive(const ObjectRegistry* registry, const void* record) {
  if (!record) return false;
  const size_t width = registry->record_size < 8 ? registry->record_size : 8;
  const auto* bytes = static_cast<const unsigned char*>(record);
  for (size_t i = 0; i < width; ++i)
    if (bytes[i]) return true;
  return false;
}

bool IsFixed(const ObjectRegistry* registry, ObjectNumber number) { return number >= 0 && number < registry->capacity; }

AnyIdLink* LinkOf(ObjectNumber number) { return reinterpret_cast<AnyIdLink*>(static_cast<intptr_t>(number)) - 1; }

void* RecordOf(AnyIdLink* link) { return link + 1; }

// The AnyId record the number names, or nullptr when the number is none of ours.
void* AnyIdRecord(const ObjectRegistry* registry, ObjectNumber number) {
  if (number <= 0 || !IndexContains(registry->index, static_cast<uint64_t>(number))) return nullptr;
  return reinterpret_cast<void*>(static_cast<intptr_t>(number));
}

void* AcquireAnyId(ObjectRegistry* registry) {
  uint64_t total;
  if (!SizeSum(sizeof(AnyIdLink), registry->record_size, &total)) return nullptr;
  auto* link = static_cast<AnyIdLink*>(HeapAllocate(total, true));
  if (!link) return nullptr;
  void* record = RecordOf(link);
  if (!IndexInsert(registry->index, static_cast<uint64_t>(NumberOfRecord(record)))) {
    HeapFree(link);
    return nullptr;
  }
  link->next = registry->list_head;
  if (registry->list_head) registry->list_head->prev = link;
  registry->list_head = link;
  return record;
}

bool GrowSlots(ObjectRegistry* registry, ObjectNumber number) {
  int64_t capacity;
  uint64_t bytes;
  if (__builtin_add_overflow(number, static_cast<int64_t>(registry->grow_step), &capacity) ||
      !SizeProduct(static_cast<uint64_t>(capacity), sizeof(void*), &bytes))
    return false;
  auto* slots = static_cast<void**>(HeapReallocate(registry->slots, bytes, true));
  if (!slots) return false;
  registry->slots = slots;
  registry->capacity = capacity;
  return true;
}

}  // namespace

ObjectRegistry* CreateRegistry(uint32_t record_size, int32_t grow_step, ReleaseOperation release) {
  if (record_size == 0 || grow_step < 1) return nullptr;
  auto* registry = static_cast<ObjectRegistry*>(HeapAllocate(sizeof(ObjectRegistry), true));
  auto* index = static_cast<AnyIdIndex*>(HeapAllocate(sizeof(AnyIdIndex), true));
  auto* slots = static_cast<void**>(HeapAllocate(static_cast<uint64_t>(grow_step) * sizeof(void*), true));
  if (!registry || !index || !slots) {
    HeapFree(registry);
    HeapFree(index);
    HeapFree(slots);
    return nullptr;
  }
  registry->record_size = record_size;
  registry->grow_step = grow_step;
  registry->capacity = grow_step;
  registry->slots = slots;
  registry->release = release;
  registry->index = index;
  return registry;
}

void* AcquireObject(ObjectRegistry* registry, ObjectNumber number) {
  if (!registry) return nullptr;
  if (number == AnyId) return AcquireAnyId(registry);
  if (number < 0) return nullptr;
  if (number >= registry->capacity && !GrowSlots(registry, number)) return nullptr;
  void*& slot = registry->slots[number];
  if (slot) {
    if (registry->release) registry->release(number);
    std::memset(slot, 0, registry->record_size);  // whatever the release left, the caller gets a clean record
    return slot;
  }
  slot = HeapAllocate(registry->record_size, true);
  return slot;
}

void* FindObject(ObjectRegistry* registry, ObjectNumber number) {
  if (!registry) return nullptr;
  void* record = IsFixed(registry, number) ? registry->slots[number] : AnyIdRecord(registry, number);
  return IsLive(registry, record) ? record : nullptr;
}

void ReleaseObject(ObjectRegistry* registry, ObjectNumber number) {
  if (!registry) return;
  if (IsFixed(registry, number)) {
    if (void* record = registry->slots[number]) std::memset(record, 0, registry->record_size);
    return;
  }
  if (!AnyIdRecord(registry, number)) return;
  AnyIdLink* link = LinkOf(number);
  if (link->prev)
    link->prev->next = link->next;
  else
    registry->list_head = link->next;
  if (link->next) link->next->prev = link->prev;
  IndexErase(registry->index, static_cast<uint64_t>(number));
  HeapFree(link);
}

void ReleaseAllObjects(ObjectRegistry* registry) {
  if (!registry || !registry->release) return;
  for (registry->walk_cursor = 0; registry->walk_cursor < registry->capacity; ++registry->walk_cursor) {
    if (IsLive(registry, registry->slots[registry->walk_cursor])) registry->release(registry->walk_cursor);
  }
  while (AnyIdLink* head = registry->list_head) {
    const ObjectNumber number = NumberOfRecord(RecordOf(head));
    registry->release(number);
    // A record that was never filled is not live, so its library's release ignores it: drop it
    // here so that the walk always ends.
    if (registry->list_head == head) ReleaseObject(registry, number);
  }
}

}  // namespace runtime

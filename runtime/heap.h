// The program's private heap: every registry, record, slot array and pool chunk comes from here.
//
// Destroying the heap frees every block still allocated from it at once, which is how the program
// gives back its registries at exit. Allocation is thread-safe, because locked and shared block
// pools may be used from several threads.
#pragma once

#include <cstddef>
#include <cstdint>

namespace runtime {

// Largest single request the heap accepts; anything above fails instead of reaching the allocator.
constexpr uint64_t kHeapMaxRequest = uint64_t{1} << 40;

// Creates the heap (initial size is a hint). Allocations before this create it implicitly.
void HeapCreate(size_t initial_size = 4096);

// Frees every block still allocated and starts afresh; every pointer it handed out becomes invalid.
void HeapDestroy();

// Returns nullptr on failure or for a request over kHeapMaxRequest.
void* HeapAllocate(uint64_t size, bool zero_fill);

// Resizes a block; new bytes are zero-filled when asked. nullptr on failure, the old block intact.
void* HeapReallocate(void* block, uint64_t size, bool zero_fill);

void HeapFree(void* block);

// Number of blocks currently allocated (for tests and leak checks).
size_t HeapBlockCount();

// Checked size arithmetic for callers that size an allocation: false on overflow.
inline bool SizeProduct(uint64_t a, uint64_t b, uint64_t* out) { return !__builtin_mul_overflow(a, b, out); }
inline bool SizeSum(uint64_t a, uint64_t b, uint64_t* out) { return !__builtin_add_overflow(a, b, out); }

}  // namespace runtime

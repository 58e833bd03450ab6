// Numbered objects. Fixed numbers (0, 1, 2 ...) index a growable table of record slots; AnyId
// asks for a new object whose number is the address of its record, kept in a linked list.
//
// A record is live while its first field is non-zero: every library puts a non-zero handle or
// pointer first. Records are plain memory, so record types must be trivial.
#pragma once

#include <cstdint>
#include <type_traits>

namespace runtime {

using ObjectNumber = int64_t;
constexpr ObjectNumber AnyId = -1;

using ReleaseOperation = void (*)(ObjectNumber number);

struct AnyIdLink;   // link header in front of every AnyId record
struct AnyIdIndex;  // which addresses are AnyId records of this registry

struct ObjectRegistry {
  uint32_t record_size;
  int32_t grow_step;
  int64_t capacity;          // fixed numbers 0 .. capacity-1 have a slot
  void** slots;              // slot n: the record of fixed number n, or nullptr if never used
  AnyIdLink* list_head;      // newest AnyId record
  ReleaseOperation release;  // the library's release operation, or nullptr
  int64_t walk_cursor;       // position of the release-all walk
  AnyIdIndex* index;         // lets a number be checked before it is taken as an address
};

// Returns nullptr when memory runs out or the arguments make no sense (record size 0, step < 1).
ObjectRegistry* CreateRegistry(uint32_t record_size, int32_t grow_step, ReleaseOperation release);

// The zero-filled record for the number (AnyId or a fixed number >= 0), or nullptr. A live fixed
// number is first released through the release operation and its record handed back.
void* AcquireObject(ObjectRegistry* registry, ObjectNumber number);

// The live record that the number names, or nullptr. Numbers outside the design name nothing.
void* FindObject(ObjectRegistry* registry, ObjectNumber number);

// Frees the number: zero-fills a fixed-number record (its memory stays in the slot) or unlinks and
// frees an AnyId record. Numbers that name nothing are ignored.
void ReleaseObject(ObjectRegistry* registry, ObjectNumber number);

// Calls the release operation for every live object: fixed numbers ascending, then AnyId objects
// from newest to oldest.
void ReleaseAllObjects(ObjectRegistry* registry);

// The object number of an AnyId record.
inline ObjectNumber NumberOfRecord(const void* record) {
  return static_cast<ObjectNumber>(reinterpret_cast<intptr_t>(record));
}

// Typed wrappers for the libraries.
template <typename Record>
Record* AcquireRecord(ObjectRegistry* registry, ObjectNumber number) {
  static_assert(std::is_trivial_v<Record>, "records are zero-filled plain memory");
  return static_cast<Record*>(AcquireObject(registry, number));
}

template <typename Record>
Record* FindRecord(ObjectRegistry* registry, ObjectNumber number) {
  static_assert(std::is_trivial_v<Record>, "records are zero-filled plain memory");
  return static_cast<Record*>(FindObject(registry, number));
}

template <typename Record>
ObjectRegistry* CreateRecordRegistry(int32_t grow_step, ReleaseOperation release) {
  static_assert(std::is_trivial_v<Record>, "records are zero-filled plain memory");
  return CreateRegistry(sizeof(Record), grow_step, release);
}

}  // namespace runtime

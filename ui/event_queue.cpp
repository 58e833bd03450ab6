#include "ui/event_queue.h"

#include "runtime/block_pool.h"
#include "ui/backend.h"
#include "ui/window.h"

namespace ui {
namespace {

struct EventRecord {
  EventRecord* next;
  int32_t code;
  int64_t object;
  int64_t window;  // -1 when the event belongs to no window
  int64_t type;
};

struct EventState {
  runtime::BlockPool* pool;
  EventRecord* head;
  EventRecord* tail;  // the last record appended that is still queued
  int32_t suppressed;
  int32_t code;
  int64_t window;
  int64_t object;
  int64_t type;
};

EventState g_state{nullptr, nullptr, nullptr, 0, 0, -1, 0, -1};

void DropAllRecords() {
  if (g_state.pool != nullptr) runtime::PoolFreeAll(g_state.pool);
  g_state.head = nullptr;
  g_state.tail = nullptr;
}

// Fetching leaves the current object and window as they were when nothing is queued.
bool Fetch() {
  g_state.code = 0;
  g_state.type = -1;
  EventRecord* r = g_state.head;
  if (r == nullptr) return false;
  g_state.head = r->next;
  if (g_state.tail == r) g_state.tail = nullptr;
  g_state.code = r->code;
  g_state.window = r->window;
  g_state.object = r->object;
  g_state.type = r->type;
  runtime::PoolFree(g_state.pool, r);
  return true;
}

}  // namespace

bool InitEvents() {
  if (!BackendStartEvents()) return false;
  if (g_state.pool == nullptr) {
    g_state.pool = runtime::CreateBlockPool(sizeof(EventRecord), 16, 256, 0);
    if (g_state.pool == nullptr) return false;
  }
  DropAllRecords();
  g_state.suppressed = 0;
  g_state.code = 0;
  g_state.window = -1;
  g_state.object = 0;
  g_state.type = -1;
  return true;
}

void ShutdownEvents() {
  DropAllRecords();
  if (g_state.pool != nullptr) runtime::DestroyBlockPool(g_state.pool);
  g_state.pool = nullptr;
  BackendStopEvents();
}

int32_t EventWait() {
  if (Fetch()) return g_state.code;
  return BackendWaitEvents() ? kWaitWakeUp : kWaitToolkitEvents;
}

int64_t EventSource() { return g_state.object; }
int64_t EventKind() { return g_state.type; }
int64_t EventWindow() { return g_state.window; }

void PostEvent(int32_t code, int64_t object, int64_t window, int64_t type) {
  if (g_state.suppressed != 0 || g_state.pool == nullptr) return;
  EventRecord* t = g_state.tail;
  if (t != nullptr && t->code == code && t->object == object && t->window == window && t->type == type) {
    return;
  }
  auto* r = static_cast<EventRecord*>(runtime::PoolAllocate(g_state.pool));
  if (r == nullptr) return;
  *r = EventRecord{nullptr, code, object, window, type};
  // The tail is the last record whenever the queue is not empty: fetching clears it only with
  // the last record, and removal moves it back to the last record kept.
  if (g_state.tail == nullptr) {
    g_state.head = r;
  } else {
    g_state.tail->next = r;
  }
  g_state.tail = r;
}

void PostWidgetEvent(void* control, int64_t type) {
  if (control == nullptr) return;
  const int64_t number = BackendControlNumber(control);
  if (number == -1) return;
  PostEvent(EventWidget, number, WindowNumberOf(control), type);
}

void RemoveEvents(int32_t code, int64_t object, int64_t window, int64_t type) {
  EventRecord* prev = nullptr;
  EventRecord* r = g_state.head;
  bool tail_removed = false;
  while (r != nullptr) {
    EventRecord* next = r->next;
    const bool match = (code == -1 || r->code == code) && (object == -1 || r->object == object) &&
                       (window < 0 || r->window == window) && (type == -1 || r->type == type);
    if (match) {
      if (prev == nullptr) {
        g_state.head = next;
      } else {
        prev->next = next;
      }
      if (r == g_state.tail) tail_removed = true;
      runtime::PoolFree(g_state.pool, r);
    } else {
      prev = r;
    }
    r = next;
  }
  // The most recent record still queued is the new tail; an event identical to it coalesces.
  if (tail_removed) g_state.tail = prev;
}

void SuppressEvents() { ++g_state.suppressed; }

void ResumeEvents() {
  if (g_state.suppressed > 0) --g_state.suppressed;
}

void PostWakeUp() { BackendPostWakeUp(); }

int64_t QueuedEventCount() {
  int64_t n = 0;
  for (EventRecord* r = g_state.head; r != nullptr; r = r->next) ++n;
  return n;
}

}  // namespace ui

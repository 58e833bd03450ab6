#include "ui/widget.h"

#include "ui/backend.h"
#include "ui/event_queue.h"

namespace ui {

using runtime::ObjectNumber;
using runtime::Text;
using runtime::TextView;

namespace {

runtime::ObjectRegistry* g_widgets = nullptr;
void* g_container = nullptr;

// Brackets a programmatic change so that the control's own notifications post nothing.
struct Suppressed {
  Suppressed() { SuppressEvents(); }
  ~Suppressed() { ResumeEvents(); }
  Suppressed(const Suppressed&) = delete;
  Suppressed& operator=(const Suppressed&) = delete;
};

}  // namespace

void ControlDestroyed(ObjectNumber n, void* control) {
  WidgetRecord* r = FindWidget(n);
  if (r != nullptr && r->control == control) {
    if (r->ops != nullptr && r->ops->release != nullptr) r->ops->release(r);
    runtime::ReleaseObject(g_widgets, n);
  }
  // Whatever the control posted on its way out must not reach the application.
  RemoveEvents(EventWidget, n, -1, -1);
}

bool InitWidgets() {
  if (!BackendStartWidgets()) return false;
  if (g_widgets == nullptr) {
    g_widgets = runtime::CreateRecordRegistry<WidgetRecord>(50, &WidgetDestroy);
    if (g_widgets == nullptr) return false;
  }
  g_container = nullptr;
  return true;
}

void ShutdownWidgets() {
  if (g_widgets != nullptr) WidgetDestroy(runtime::AnyId);
  BackendStopWidgets();
  g_container = nullptr;
}

WidgetRecord* AcquireWidget(ObjectNumber number) {
  if (g_widgets == nullptr || (number < 0 && number != runtime::AnyId)) return nullptr;
  return runtime::AcquireRecord<WidgetRecord>(g_widgets, number);
}

int64_t RegisterWidget(ObjectNumber number, WidgetRecord* record, void* control, const WidgetKindOps* ops) {
  if (record == nullptr || g_widgets == nullptr) {
    if (control != nullptr) BackendDestroyControl(control);
    return 0;
  }
  const ObjectNumber n = number == runtime::AnyId ? runtime::NumberOfRecord(record) : number;
  if (control == nullptr) {
    runtime::ReleaseObject(g_widgets, n);
    return 0;
  }
  record->control = control;
  record->ops = ops;
  record->number = n;
  BackendAttachControl(record);
  return number == runtime::AnyId ? n : static_cast<int64_t>(reinterpret_cast<intptr_t>(control));
}

WidgetRecord* FindWidget(ObjectNumber number) {
  if (g_widgets == nullptr) return nullptr;
  return runtime::FindRecord<WidgetRecord>(g_widgets, number);
}

void* WidgetControl(ObjectNumber number) {
  WidgetRecord* r = FindWidget(number);
  return r != nullptr ? r->control : nullptr;
}

void WidgetDestroy(ObjectNumber number) {
  if (g_widgets == nullptr) return;
  if (number == runtime::AnyId) {
    runtime::ReleaseAllObjects(g_widgets);
    return;
  }
  WidgetRecord* r = FindWidget(number);
  if (r == nullptr) return;
  void* c = r->control;
  BackendDestroyControl(c);
  // The release-all walk relies on every release freeing its number.
  r = FindWidget(number);
  if (r != nullptr && r->control == c) {
    if (r->ops != nullptr && r->ops->release != nullptr) r->ops->release(r);
    runtime::ReleaseObject(g_widgets, number);
  }
  RemoveEvents(EventWidget, number, -1, -1);
}

void* WidgetContainer() { return g_container; }

void SetWidgetContainer(void* window) { g_container = window; }

int64_t ColumnAdd(ObjectNumber number, int64_t position, TextView title, int64_t width) {
  WidgetRecord* r = FindWidget(number);
  if (r == nullptr || r->ops == nullptr || r->ops->add_column == nullptr) return 0;
  return r->ops->add_column(r, position, title, width);
}

int64_t ItemAdd(ObjectNumber number, int64_t position, TextView text) {
  WidgetRecord* r = FindWidget(number);
  if (r == nullptr || r->ops == nullptr) return 0;
  Suppressed quiet;
  if (r->ops->add_item_flags != nullptr) return r->ops->add_item_flags(r, position, text, 0, 0);
  if (r->ops->add_item != nullptr) return r->ops->add_item(r, position, text, 0);
  return 0;
}

void ItemsClear(ObjectNumber number) {
  WidgetRecord* r = FindWidget(number);
  if (r == nullptr || r->ops == nullptr || r->ops->clear_items == nullptr) return;
  Suppressed quiet;
  r->ops->clear_items(r);
}

int64_t WidgetState(ObjectNumber number) {
  WidgetRecord* r = FindWidget(number);
  if (r == nullptr || r->ops == nullptr || r->ops->get_state == nullptr) return 0;
  return r->ops->get_state(r);
}

void WidgetSetState(ObjectNumber number, int64_t state) {
  WidgetRecord* r = FindWidget(number);
  if (r == nullptr || r->ops == nullptr || r->ops->set_state == nullptr) return;
  r->ops->set_state(r, state);
}

Text WidgetText(ObjectNumber number) {
  WidgetRecord* r = FindWidget(number);
  if (r == nullptr) return Text();
  if (r->ops != nullptr && r->ops->get_text != nullptr) return r->ops->get_text(r);
  return BackendControlText(r->control);
}

void WidgetSetText(ObjectNumber number, TextView text) {
  WidgetRecord* r = FindWidget(number);
  if (r == nullptr) return;
  if (r->ops != nullptr && r->ops->set_text != nullptr) {
    r->ops->set_text(r, text);
  } else {
    BackendSetControlText(r->control, text);
  }
}

Text ItemText(ObjectNumber number, int64_t item, int64_t column) {
  WidgetRecord* r = FindWidget(number);
  if (r == nullptr || r->ops == nullptr || r->ops->get_item_text == nullptr) return Text();
  return r->ops->get_item_text(r, item, column);
}

int64_t ItemCount(ObjectNumber number) {
  WidgetRecord* r = FindWidget(number);
  if (r == nullptr || r->ops == nullptr || r->ops->count_items == nullptr) return 0;
  return r->ops->count_items(r);
}

int64_t WidgetRequiredSize(ObjectNumber number, int32_t* width, int32_t* height) {
  WidgetRecord* r = FindWidget(number);
  if (r == nullptr || r->ops == nullptr || r->ops->required_size == nullptr || width == nullptr || height == nullptr) {
    return 0;
  }
  return r->ops->required_size(r, width, height);
}

void WidgetEnable(ObjectNumber number, bool enabled) {
  if (WidgetRecord* r = FindWidget(number)) BackendEnableControl(r->control, enabled);
}

bool WidgetEnabled(ObjectNumber number) {
  WidgetRecord* r = FindWidget(number);
  return r != nullptr && BackendControlEnabled(r->control);
}

void WidgetFocus(ObjectNumber number) {
  if (WidgetRecord* r = FindWidget(number)) BackendFocusControl(r->control);
}

bool WidgetHasFocus(ObjectNumber number) {
  WidgetRecord* r = FindWidget(number);
  return r != nullptr && BackendControlHasFocus(r->control);
}

}  // namespace ui

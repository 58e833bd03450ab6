// What every widget kind shares: the widget table, the current widget container and the shared
// font, registration of a control, and the generic operations that reach a kind's own code
// through its operation table.
//
// A kind's create function takes a record with AcquireWidget, builds its control as a child of
// WidgetContainer() at the scaled rectangle, fills its own fields and calls RegisterWidget.
//
// A native control is `void*` here: the toolkit's control, a QWidget* with Qt, an HWND on Windows.
#pragma once

#include <cstdint>

#include "runtime/registry.h"
#include "runtime/text.h"

namespace ui {

// Kind codes.
constexpr int32_t WidgetKindButton = 1;
constexpr int32_t WidgetKindListBox = 6;
constexpr int32_t WidgetKindColumnList = 12;
constexpr int32_t WidgetKindFolderTree = 24;

struct WidgetKindOps;
struct WidgetFilter;  // the common handler installed on every registered control

struct WidgetRecord {
  void* control;  // the toolkit's control; live while non-null
  const WidgetKindOps* ops;
  WidgetFilter* filter;          // the common handler; passes what it does not take on to the control
  runtime::ObjectNumber number;  // the widget number (for AnyId, the record's address)
  void* kind_data;               // a block the kind owns (the folder tree's record); its release frees it
  int64_t kind_words[6];         // kind-specific values (colours, flags, lengths)
};

// Result of the notification slot when the kind leaves the event to the control.
constexpr int64_t kNotHandled = 0;

using EmptySlot = void (*)();

// One static table per kind. An empty slot makes the generic operation use its default.
struct WidgetKindOps {
  int32_t kind;
  int32_t size;  // sizeof(WidgetKindOps): 328
  // 1: every event for the control (and for its viewport, when it has one) comes here first.
  // Anything but kNotHandled stops the event from reaching the control. The backend says what
  // target and event are: with Qt the QObject* the event is for and the QEvent*; on Windows a
  // message record.
  int64_t (*notify)(WidgetRecord* w, void* target, void* event);
  // 2: runs when the control has been destroyed: frees what the kind owns (kind_data) and must
  // not touch w->control, which is gone.
  void (*release)(WidgetRecord* w);
  int64_t (*get_state)(WidgetRecord* w);                                                          // 3
  void (*set_state)(WidgetRecord* w, int64_t state);                                              // 4
  runtime::Text (*get_text)(WidgetRecord* w);                                                     // 5
  void (*set_text)(WidgetRecord* w, runtime::TextView text);                                      // 6
  int64_t (*add_item)(WidgetRecord* w, int64_t position, runtime::TextView text, int64_t image);  // 7
  int64_t (*add_item_flags)(WidgetRecord* w, int64_t position, runtime::TextView text, int64_t image,
                            int64_t flags);               // 8
  int64_t (*remove_item)(WidgetRecord* w, int64_t item);  // 9
  void (*clear_items)(WidgetRecord* w);                   // 10
  EmptySlot slot11;
  int64_t (*count_items)(WidgetRecord* w);                                                       // 12
  int64_t (*get_item_state)(WidgetRecord* w, int64_t item);                                      // 13
  void (*set_item_state)(WidgetRecord* w, int64_t item, int64_t state);                          // 14
  runtime::Text (*get_item_text)(WidgetRecord* w, int64_t item, int64_t column);                 // 15
  void (*set_item_text)(WidgetRecord* w, int64_t item, runtime::TextView text, int64_t column);  // 16
  EmptySlot slot17, slot18, slot19, slot20, slot21, slot22;
  int64_t (*add_column)(WidgetRecord* w, int64_t position, runtime::TextView title, int64_t width);  // 23
  void (*remove_column)(WidgetRecord* w, int64_t column);                                            // 24
  int64_t (*get_attribute)(WidgetRecord* w, int64_t attribute);                                      // 25
  void (*set_attribute)(WidgetRecord* w, int64_t attribute, int64_t value);                          // 26
  int64_t (*get_item_attribute)(WidgetRecord* w, int64_t item, int64_t attribute);                   // 27
  void (*set_item_attribute)(WidgetRecord* w, int64_t item, int64_t attribute, int64_t value);       // 28
  void (*set_colour)(WidgetRecord* w, int64_t which, int64_t colour);                                // 29
  int64_t (*get_colour)(WidgetRecord* w, int64_t which);                                             // 30
  void (*set_item_colour)(WidgetRecord* w, int64_t item, int64_t which, int64_t colour);             // 31
  int64_t (*get_item_colour)(WidgetRecord* w, int64_t item, int64_t which);                          // 32
  void (*set_item_data)(WidgetRecord* w, int64_t item, int64_t data);                                // 33
  int64_t (*get_item_data)(WidgetRecord* w, int64_t item);                                           // 34
  // 35: the size the control needs for its content, in pixels; 0 when it cannot tell.
  int64_t (*required_size)(WidgetRecord* w, int32_t* width, int32_t* height);
  EmptySlot slot36, slot37, slot38;
  void (*set_item_image)(WidgetRecord* w, int64_t item, int64_t image, int64_t column);  // 39
  EmptySlot slot40;
};
static_assert(sizeof(WidgetKindOps) == 328, "kind code, size and 40 slots");

// Creates the shared font, the widget table and the container state. Needs the toolkit started.
bool InitWidgets();
// Destroys every widget still alive and drops the font and the container state.
void ShutdownWidgets();

// The zero-filled record for a widget number (AnyId or >= 0), or nullptr. A live fixed number is
// destroyed first.
WidgetRecord* AcquireWidget(runtime::ObjectNumber number);

// Makes the control a widget: installs the common handler (on the control and on its viewport),
// sets "VX_ID" to the widget number and gives it the shared font. Returns the number for AnyId,
// otherwise a non-zero handle. A null control gives the record back and returns 0.
int64_t RegisterWidget(runtime::ObjectNumber number, WidgetRecord* record, void* control, const WidgetKindOps* ops);

// The live record, or nullptr.
WidgetRecord* FindWidget(runtime::ObjectNumber number);
// The widget's control (a QWidget* with Qt, an HWND on Windows), or nullptr.
void* WidgetControl(runtime::ObjectNumber number);

// Destroys a widget's control (which releases its number); AnyId destroys every widget.
void WidgetDestroy(runtime::ObjectNumber number);

// The window new widgets are created in (nullptr before any window and once it is gone).
void* WidgetContainer();
void SetWidgetContainer(void* window);

// Generic operations. A number that names no widget does nothing and returns 0 or "".
int64_t ColumnAdd(runtime::ObjectNumber number, int64_t position, runtime::TextView title, int64_t width);
int64_t ItemAdd(runtime::ObjectNumber number, int64_t position, runtime::TextView text);
void ItemsClear(runtime::ObjectNumber number);
int64_t WidgetState(runtime::ObjectNumber number);
void WidgetSetState(runtime::ObjectNumber number, int64_t state);
runtime::Text WidgetText(runtime::ObjectNumber number);  // without slot 5: the control's own text
void WidgetSetText(runtime::ObjectNumber number, runtime::TextView text);
runtime::Text ItemText(runtime::ObjectNumber number, int64_t item, int64_t column);
int64_t ItemCount(runtime::ObjectNumber number);
// Slot 35; 0 and no change without it.
int64_t WidgetRequiredSize(runtime::ObjectNumber number, int32_t* width, int32_t* height);
// A disabled control takes no input and is drawn greyed; what the user did to it while it was
// disabled never becomes an event.
void WidgetEnable(runtime::ObjectNumber number, bool enabled);
bool WidgetEnabled(runtime::ObjectNumber number);  // false for a number that names no widget
// Gives the widget the keyboard focus, or tells whether it (or a part of it) has it.
void WidgetFocus(runtime::ObjectNumber number);
bool WidgetHasFocus(runtime::ObjectNumber number);

}  // namespace ui

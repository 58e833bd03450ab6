#include "ui/list_box.h"

#include <cstdlib>
#include <vector>

#include "runtime/text.h"
#include "ui/event_queue.h"
#include "ui/widget.h"
#include "ui/win32/native_controls.h"
#include "ui/win32/win32_ui.h"
#include "ui/window.h"

namespace ui {
namespace {

using runtime::Text;
using runtime::TextView;

// Kind words of a list box record.
constexpr int kWordBackground = 0;     // colour, -1 = default
constexpr int kWordText = 1;           // colour, -1 = default
constexpr int kWordDragging = 2;       // 1 from a drag start until the button is released
constexpr int kWordConsumedPress = 3;  // 1 when the control did not see the press
constexpr int kWordPressed = 4;        // 1 while a left press on an item may still become a click or drag
constexpr int kWordPressPoint = 5;     // where it was: x in the high half, y in the low half

// Brackets a programmatic change of the selection: it is not the user's doing and posts nothing.
struct Quiet {
  Quiet() { SuppressEvents(); }
  ~Quiet() { ResumeEvents(); }
  Quiet(const Quiet&) = delete;
  Quiet& operator=(const Quiet&) = delete;
};

HWND ListOf(WidgetRecord* w) { return static_cast<HWND>(w->control); }

bool IsMulti(HWND l) { return (GetWindowLongW(l, GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL)) != 0; }

int64_t Count(HWND l) { return win32::NativeListBoxCount(l); }

bool Valid(HWND l, int64_t item) { return item >= 0 && item < Count(l); }

bool IsSelected(HWND l, int64_t item) {
  if (!IsMulti(l)) return win32::NativeListBoxSelection(l) == item;
  return SendMessageW(l, LB_GETSEL, static_cast<WPARAM>(item), 0) > 0;
}

std::vector<int64_t> SelectedRows(HWND l) {
  std::vector<int64_t> rows;
  for (int64_t i = 0; i < Count(l); ++i) {
    if (IsSelected(l, i)) rows.push_back(i);
  }
  return rows;
}

int64_t FirstSelected(HWND l) {
  const std::vector<int64_t> rows = SelectedRows(l);
  return rows.empty() ? -1 : rows.front();
}

// The item under a point of the client area, -1 when none.
int64_t ItemUnder(HWND l, LPARAM point) {
  const LRESULT hit = SendMessageW(l, LB_ITEMFROMPOINT, 0, point);
  if (hit == LB_ERR || HIWORD(hit) != 0) return -1;
  return Valid(l, LOWORD(hit)) ? LOWORD(hit) : -1;
}

int64_t PackPoint(LPARAM p) {
  return (static_cast<int64_t>(static_cast<int16_t>(LOWORD(p))) << 32) |
         static_cast<uint32_t>(static_cast<int16_t>(HIWORD(p)));
}

bool BeyondDragDistance(int64_t packed, LPARAM now) {
  const int dx = static_cast<int16_t>(LOWORD(now)) - static_cast<int32_t>(packed >> 32);
  const int dy = static_cast<int16_t>(HIWORD(now)) - static_cast<int32_t>(static_cast<uint32_t>(packed));
  return std::abs(dx) > GetSystemMetrics(SM_CXDRAG) || std::abs(dy) > GetSystemMetrics(SM_CYDRAG);
}

int64_t OnLeftDown(WidgetRecord* w, Win32Message* m) {
  HWND l = ListOf(w);
  w->kind_words[kWordDragging] = 0;
  w->kind_words[kWordConsumedPress] = 0;
  w->kind_words[kWordPressed] = 0;
  const int64_t item = ItemUnder(l, m->lparam);
  if (item < 0) return kNotHandled;
  w->kind_words[kWordPressed] = 1;
  w->kind_words[kWordPressPoint] = PackPoint(m->lparam);
  // A press on a selected item of a multi-selection list may start dragging all of them; the
  // control would first reduce the selection to that one item.
  if (IsMulti(l) && IsSelected(l, item) && (m->wparam & (MK_SHIFT | MK_CONTROL)) == 0) {
    w->kind_words[kWordConsumedPress] = 1;
    SetFocus(l);
    SetCapture(l);
    return 1;
  }
  return kNotHandled;
}

int64_t OnMove(WidgetRecord* w, Win32Message* m) {
  if (w->kind_words[kWordDragging] != 0) return 1;  // the drag owns the mouse now
  if (w->kind_words[kWordPressed] == 0 || (m->wparam & MK_LBUTTON) == 0) return kNotHandled;
  if (BeyondDragDistance(w->kind_words[kWordPressPoint], m->lparam)) {
    HWND l = ListOf(w);
    w->kind_words[kWordPressed] = 0;
    Win32SetDraggedItems(l, SelectedRows(l));
    w->kind_words[kWordDragging] = 1;
    PostWidgetEvent(l, WidgetEventDragStart);
    return 1;
  }
  return w->kind_words[kWordConsumedPress] != 0 ? 1 : kNotHandled;
}

int64_t OnLeftUp(WidgetRecord* w, Win32Message* m) {
  HWND l = ListOf(w);
  const bool clicked = w->kind_words[kWordPressed] != 0;
  const bool consumed = w->kind_words[kWordConsumedPress] != 0;
  w->kind_words[kWordPressed] = 0;
  w->kind_words[kWordConsumedPress] = 0;
  if (consumed) {
    ReleaseCapture();
  } else if (w->kind_words[kWordDragging] != 0) {
    // The control ends its capture here and reports its selection once more; after a drag that
    // report is not the user's click.
    m->result = DefSubclassProc(l, m->message, m->wparam, m->lparam);
  }
  const bool dragged = w->kind_words[kWordDragging] != 0;
  w->kind_words[kWordDragging] = 0;
  if (clicked) PostWidgetEvent(l, WidgetEventLeftClick);
  return consumed || dragged ? 1 : kNotHandled;
}

LRESULT Colours(WidgetRecord* w, HDC dc) {
  const int64_t text = w->kind_words[kWordText];
  const int64_t back = w->kind_words[kWordBackground];
  SetTextColor(dc, text < 0 ? GetSysColor(COLOR_WINDOWTEXT) : static_cast<COLORREF>(text));
  SetBkColor(dc, back < 0 ? GetSysColor(COLOR_WINDOW) : static_cast<COLORREF>(back));
  auto brush = static_cast<HBRUSH>(w->kind_data);
  return reinterpret_cast<LRESULT>(brush != nullptr ? brush : GetSysColorBrush(COLOR_WINDOW));
}

int64_t FromParent(WidgetRecord* w, Win32Message* m) {
  if (m->message == WM_CTLCOLORLISTBOX) {
    if (w->kind_words[kWordText] < 0 && w->kind_words[kWordBackground] < 0) return kNotHandled;
    m->result = Colours(w, reinterpret_cast<HDC>(m->wparam));
    return 1;
  }
  if (m->message != WM_COMMAND) return kNotHandled;
  switch (HIWORD(m->wparam)) {
    case LBN_SELCHANGE:
      if (w->kind_words[kWordDragging] == 0) PostWidgetEvent(w->control, WidgetEventLeftClick);
      break;
    case LBN_DBLCLK: PostWidgetEvent(w->control, WidgetEventDoubleClick); break;
    default: break;
  }
  return kNotHandled;
}

int64_t ListNotify(WidgetRecord* w, void*, void* event) {
  auto* m = static_cast<Win32Message*>(event);
  if (m->from_parent) return FromParent(w, m);
  switch (m->message) {
    case WM_LBUTTONDOWN: return OnLeftDown(w, m);
    case WM_MOUSEMOVE: return OnMove(w, m);
    case WM_LBUTTONUP: return OnLeftUp(w, m);
    case WM_RBUTTONUP: PostWidgetEvent(w->control, WidgetEventRightClick); return kNotHandled;
    default: return kNotHandled;
  }
}

void Deselect(HWND l) {
  if (IsMulti(l)) {
    SendMessageW(l, LB_SETSEL, FALSE, -1);
  } else {
    SendMessageW(l, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  }
}

int64_t ListGetState(WidgetRecord* w) { return FirstSelected(ListOf(w)); }

void ListSetState(WidgetRecord* w, int64_t state) {
  HWND l = ListOf(w);
  Quiet quiet;
  Deselect(l);
  if (!Valid(l, state)) return;
  if (IsMulti(l)) {
    SendMessageW(l, LB_SETSEL, TRUE, static_cast<LPARAM>(state));
    SendMessageW(l, LB_SETCARETINDEX, static_cast<WPARAM>(state), FALSE);
  } else {
    SendMessageW(l, LB_SETCURSEL, static_cast<WPARAM>(state), 0);
  }
}

Text ListGetItemText(WidgetRecord* w, int64_t item, int64_t) {
  HWND l = ListOf(w);
  return Valid(l, item) ? TextFromWide(win32::NativeListBoxText(l, static_cast<int>(item))) : Text();
}

Text ListGetText(WidgetRecord* w) { return ListGetItemText(w, FirstSelected(ListOf(w)), 0); }

// Selects the first item equal to the text ignoring case. In a multi-selection list a match is
// added to the selection and no match leaves it alone; in a single-selection list no match
// clears it.
void ListSetText(WidgetRecord* w, TextView text) {
  HWND l = ListOf(w);
  const Text wanted = runtime::TextLower(text);
  int64_t found = -1;
  for (int64_t i = 0; i < Count(l); ++i) {
    if (runtime::TextLower(ListGetItemText(w, i, 0)) == wanted) {
      found = i;
      break;
    }
  }
  if (IsMulti(l)) {
    if (found >= 0) {
      Quiet quiet;
      SendMessageW(l, LB_SETSEL, TRUE, static_cast<LPARAM>(found));
    }
    return;
  }
  ListSetState(w, found);
}

// True when the last row is in view: the user has not scrolled away from the newest rows.
bool ShowsLastRow(HWND l) {
  const LRESULT top = SendMessageW(l, LB_GETTOPINDEX, 0, 0);
  const LRESULT row_height = SendMessageW(l, LB_GETITEMHEIGHT, 0, 0);
  RECT client{};
  GetClientRect(l, &client);
  if (top == LB_ERR || row_height <= 0) return true;
  return top + (client.bottom - client.top) / row_height >= Count(l);
}

int64_t ListAddItem(WidgetRecord* w, int64_t position, TextView text, int64_t) {
  HWND l = ListOf(w);
  const std::wstring s = WideFromText(text);
  Quiet quiet;
  const bool append = !Valid(l, position);
  const bool follow = append && ShowsLastRow(l);
  const int added = win32::NativeListBoxAdd(l, append ? -1 : static_cast<int>(position), s.c_str());
  // The list scrolls no further than its last row, so asking for the new row on top shows it at the bottom.
  if (follow && added >= 0) SendMessageW(l, LB_SETTOPINDEX, static_cast<WPARAM>(added), 0);
  return 0;
}

int64_t ListRemoveItem(WidgetRecord* w, int64_t item) {
  HWND l = ListOf(w);
  if (!Valid(l, item)) return -1;
  Quiet quiet;
  SendMessageW(l, LB_DELETESTRING, static_cast<WPARAM>(item), 0);
  return Count(l);
}

void ListClearItems(WidgetRecord* w) {
  Quiet quiet;
  win32::NativeListBoxClear(ListOf(w));
}

int64_t ListCountItems(WidgetRecord* w) { return Count(ListOf(w)); }

int64_t ListGetItemState(WidgetRecord* w, int64_t item) {
  HWND l = ListOf(w);
  return Valid(l, item) && IsSelected(l, item) ? 1 : 0;
}

void ListSetItemState(WidgetRecord* w, int64_t item, int64_t state) {
  HWND l = ListOf(w);
  if (!Valid(l, item)) return;
  if (!IsMulti(l)) {
    if (state != 0) {
      ListSetState(w, item);
    } else if (IsSelected(l, item)) {
      ListSetState(w, -1);
    }
    return;
  }
  Quiet quiet;
  SendMessageW(l, LB_SETSEL, state != 0 ? TRUE : FALSE, static_cast<LPARAM>(item));
}

// The control has no way to change a text in place: the item is made again where it was, with its
// data and its selection.
void ListSetItemText(WidgetRecord* w, int64_t item, TextView text, int64_t) {
  HWND l = ListOf(w);
  if (!Valid(l, item)) return;
  const WPARAM i = static_cast<WPARAM>(item);
  const LRESULT data = SendMessageW(l, LB_GETITEMDATA, i, 0);
  const bool selected = IsSelected(l, item);
  const std::wstring s = WideFromText(text);
  Quiet quiet;
  SendMessageW(l, LB_DELETESTRING, i, 0);
  win32::NativeListBoxAdd(l, static_cast<int>(item), s.c_str());
  SendMessageW(l, LB_SETITEMDATA, i, data);
  if (selected) {
    if (IsMulti(l)) {
      SendMessageW(l, LB_SETSEL, TRUE, static_cast<LPARAM>(item));
    } else {
      SendMessageW(l, LB_SETCURSEL, i, 0);
    }
  }
}

void ListSetColour(WidgetRecord* w, int64_t which, int64_t colour) {
  int word;
  if (which == kColourText) {
    word = kWordText;
  } else if (which == kColourBackground) {
    word = kWordBackground;
  } else {
    return;
  }
  w->kind_words[word] = colour < 0 ? -1 : (colour & 0xFFFFFF);
  if (word == kWordBackground) {
    if (w->kind_data != nullptr) DeleteObject(static_cast<HBRUSH>(w->kind_data));
    w->kind_data = colour < 0 ? nullptr : CreateSolidBrush(static_cast<COLORREF>(colour & 0xFFFFFF));
  }
  InvalidateRect(ListOf(w), nullptr, TRUE);
}

int64_t ListGetColour(WidgetRecord* w, int64_t which) {
  if (which == kColourText) return w->kind_words[kWordText];
  if (which == kColourBackground) return w->kind_words[kWordBackground];
  return -1;
}

void ListSetItemData(WidgetRecord* w, int64_t item, int64_t data) {
  HWND l = ListOf(w);
  if (Valid(l, item)) SendMessageW(l, LB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(data));
}

int64_t ListGetItemData(WidgetRecord* w, int64_t item) {
  HWND l = ListOf(w);
  return Valid(l, item) ? static_cast<int64_t>(SendMessageW(l, LB_GETITEMDATA, static_cast<WPARAM>(item), 0)) : 0;
}

void ListRelease(WidgetRecord* w) {
  if (w->kind_data != nullptr) DeleteObject(static_cast<HBRUSH>(w->kind_data));
  w->kind_data = nullptr;
}

constexpr WidgetKindOps kListBoxOps = [] {
  WidgetKindOps ops{};
  ops.kind = WidgetKindListBox;
  ops.size = sizeof(WidgetKindOps);
  ops.notify = &ListNotify;
  ops.release = &ListRelease;
  ops.get_state = &ListGetState;
  ops.set_state = &ListSetState;
  ops.get_text = &ListGetText;
  ops.set_text = &ListSetText;
  ops.add_item = &ListAddItem;
  ops.remove_item = &ListRemoveItem;
  ops.clear_items = &ListClearItems;
  ops.count_items = &ListCountItems;
  ops.get_item_state = &ListGetItemState;
  ops.set_item_state = &ListSetItemState;
  ops.get_item_text = &ListGetItemText;
  ops.set_item_text = &ListSetItemText;
  ops.set_colour = &ListSetColour;
  ops.get_colour = &ListGetColour;
  ops.set_item_data = &ListSetItemData;
  ops.get_item_data = &ListGetItemData;
  return ops;
}();

}  // namespace

int64_t ListBoxCreate(runtime::ObjectNumber number, int32_t x, int32_t y, int32_t width, int32_t height,
                      uint32_t flags) {
  WidgetRecord* record = AcquireWidget(number);
  if (record == nullptr) return 0;
  HWND parent = Win32Container();
  if (parent == nullptr) return RegisterWidget(number, record, nullptr, nullptr);
  // The selection bits are the platform's own list box styles; extended wins over multiple.
  DWORD style = 0;
  if (flags & kListBoxExtendedSelection) {
    style = LBS_EXTENDEDSEL;
  } else if (flags & kListBoxMultipleSelection) {
    style = LBS_MULTIPLESEL;
  }
  const ScaledRect g = ScaleRect(x, y, width, height);
  HWND l = win32::NativeListBoxCreate(parent, {g.x, g.y, g.width, g.height}, 0, style);
  record->kind_words[kWordBackground] = -1;
  record->kind_words[kWordText] = -1;
  return RegisterWidget(number, record, l, &kListBoxOps);
}

}  // namespace ui

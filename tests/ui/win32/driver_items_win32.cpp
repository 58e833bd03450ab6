// The driver's item functions over the system's list box, list view and tree view, asked through
// their own messages; tree items are counted in pre-order over every item the control holds.
#include "tests/ui/driver.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "tests/ui/win32/driver_win32.h"
#include "ui/win32/native_controls.h"

namespace ui_driver {
namespace {

enum class Kind { None, ListBox, ListView, TreeView };

Kind KindOf(HWND control) {
  if (ClassIs(control, WC_LISTVIEWW)) return Kind::ListView;
  if (ClassIs(control, WC_TREEVIEWW)) return Kind::TreeView;
  return ClassIs(control, L"ListBox") ? Kind::ListBox : Kind::None;
}

// The widget's control when it is of `kind`, else null.
HWND ControlOf(int64_t widget, Kind kind) {
  HWND control = ui::Win32Control(widget);
  return KindOf(control) == kind ? control : nullptr;
}

template <typename L>
LRESULT Ask(HWND control, UINT message, WPARAM w, L l) {
  return control != nullptr ? SendMessageW(control, message, w, (LPARAM)(l)) : 0;
}

HTREEITEM Next(HWND tree, HTREEITEM item, WPARAM relation) {
  return reinterpret_cast<HTREEITEM>(Ask(tree, TVM_GETNEXTITEM, relation, item));
}

HTREEITEM NextInPreOrder(HWND tree, HTREEITEM item) {
  if (HTREEITEM child = Next(tree, item, TVGN_CHILD)) return child;
  for (; item; item = Next(tree, item, TVGN_PARENT)) {
    if (HTREEITEM sibling = Next(tree, item, TVGN_NEXT)) return sibling;
  }
  return nullptr;
}

HTREEITEM TreeItemAt(HWND tree, int64_t position) {
  HTREEITEM item = position >= 0 ? Next(tree, nullptr, TVGN_ROOT) : nullptr;
  for (int64_t i = 0; item && i < position; ++i) item = NextInPreOrder(tree, item);
  return item;
}

int64_t PositionOf(HWND tree, HTREEITEM target) {
  int64_t position = 0;
  for (HTREEITEM i = Next(tree, nullptr, TVGN_ROOT); i; i = NextInPreOrder(tree, i), ++position) {
    if (i == target) return position;
  }
  return -1;
}

// A tree widget's item at a pre-order position with the fields of `mask` read; item null when none.
struct TreeItemRecord {
  HWND tree = nullptr;
  TVITEMW item = {};
  std::wstring text;
};

TreeItemRecord TreeItemOf(int64_t widget, int64_t position, UINT mask) {
  TreeItemRecord r;
  r.tree = ControlOf(widget, Kind::TreeView);
  r.text.assign(mask & TVIF_TEXT ? 32768 : 0, L'\0');
  r.item.mask = mask | TVIF_HANDLE;
  r.item.hItem = TreeItemAt(r.tree, position);
  r.item.pszText = r.text.data();
  r.item.cchTextMax = static_cast<int>(r.text.size());
  if (r.item.hItem && !Ask(r.tree, TVM_GETITEMW, 0, &r.item)) r.item.hItem = nullptr;
  r.text.resize(wcsnlen(r.text.c_str(), r.text.size()));
  return r;
}

HWND HeaderOf(int64_t widget) {
  return reinterpret_cast<HWND>(Ask(ControlOf(widget, Kind::ListView), LVM_GETHEADER, 0, 0));
}

// The drive-not-ready prompt the window owns, shown; null when none.
HWND DrivePromptOf(int64_t window) {
  HWND owner = ui::Win32Window(window);
  for (HWND w = FindWindowExW(nullptr, nullptr, L"SceneBuilderDrivePrompt", nullptr); owner && w;
       w = FindWindowExW(nullptr, w, L"SceneBuilderDrivePrompt", nullptr)) {
    if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

}  // namespace

ui::Rect ItemRect(int64_t widget, int64_t item) {
  HWND control = ui::Win32Control(widget);
  RECT r = {};
  bool found = false;
  switch (KindOf(control)) {
    case Kind::ListBox: {
      RECT client{};
      GetClientRect(control, &client);
      RECT shown{};
      found = item >= 0 && Ask(control, LB_GETITEMRECT, item, &r) != LB_ERR && IntersectRect(&shown, &r, &client);
      break;
    }
    case Kind::ListView:
      r.left = LVIR_BOUNDS;
      found = item >= 0 && Ask(control, LVM_GETITEMRECT, item, &r);
      break;
    case Kind::TreeView: {
      HTREEITEM i = TreeItemAt(control, item);
      std::memcpy(&r, &i, sizeof i);  // the message takes the item in the rectangle's place
      found = i && Ask(control, TVM_GETITEMRECT, TRUE, &r);
      break;
    }
    default: break;
  }
  return found ? RectOf(r) : ui::Rect{};
}

runtime::Text ShownItemText(int64_t widget, int64_t item) {
  HWND control = ui::Win32Control(widget);
  switch (KindOf(control)) {
    case Kind::ListBox:
      return item < 0 ? runtime::Text()
                      : ui::TextFromWide(ui::win32::NativeListBoxText(control, static_cast<int>(item)));
    case Kind::ListView: {
      std::wstring text(32768, L'\0');
      LVITEMW cell = {};
      cell.pszText = text.data();
      cell.cchTextMax = static_cast<int>(text.size());
      const bool row = item >= 0 && item < Ask(control, LVM_GETITEMCOUNT, 0, 0);
      text.resize(row ? std::max<LRESULT>(Ask(control, LVM_GETITEMTEXTW, item, &cell), 0) : 0);
      return ui::TextFromWide(text);
    }
    case Kind::TreeView: return ui::TextFromWide(TreeItemOf(widget, item, TVIF_TEXT).text);
    default: return {};
  }
}

void ScrollToItem(int64_t widget, int64_t item) {
  HWND control = ui::Win32Control(widget);
  switch (KindOf(control)) {
    case Kind::ListBox: Ask(control, LB_SETTOPINDEX, item, 0); break;
    case Kind::ListView: Ask(control, LVM_ENSUREVISIBLE, item, FALSE); break;
    case Kind::TreeView:
      if (HTREEITEM i = TreeItemAt(control, item)) Ask(control, TVM_ENSUREVISIBLE, 0, i);
      break;
    default: break;
  }
  Process();
}

void ExpandItem(int64_t widget, int64_t item) {
  HWND tree = ControlOf(widget, Kind::TreeView);
  if (HTREEITEM i = TreeItemAt(tree, item)) {
    Ask(tree, TVM_EXPAND, TVE_EXPAND, i);
    Ask(tree, TVM_ENSUREVISIBLE, 0, i);
  }
  Process();
}

int64_t ColumnTotal(int64_t widget) {
  if (ControlOf(widget, Kind::ListBox)) return 1;
  return Ask(HeaderOf(widget), HDM_GETITEMCOUNT, 0, 0);
}

runtime::Text ColumnTitle(int64_t widget, int64_t column) {
  std::wstring title(4096, L'\0');
  LVCOLUMNW c = {};
  c.mask = LVCF_TEXT;
  c.pszText = title.data();
  c.cchTextMax = static_cast<int>(title.size());
  if (!Ask(ControlOf(widget, Kind::ListView), LVM_GETCOLUMNW, column, &c)) return {};
  title.resize(wcsnlen(title.c_str(), title.size()));
  return ui::TextFromWide(title);
}

int32_t ColumnWidth(int64_t widget, int64_t column) {
  return static_cast<int32_t>(Ask(ControlOf(widget, Kind::ListView), LVM_GETCOLUMNWIDTH, column, 0));
}

int64_t ChildAt(int64_t widget, int64_t item, int64_t index) {
  const TreeItemRecord parent = TreeItemOf(widget, item, 0);
  HTREEITEM c = parent.item.hItem && index >= 0 ? Next(parent.tree, parent.item.hItem, TVGN_CHILD) : nullptr;
  for (int64_t i = 0; c && i < index; ++i) c = Next(parent.tree, c, TVGN_NEXT);
  return c ? PositionOf(parent.tree, c) : -1;
}

int64_t ChildCount(int64_t widget, int64_t item) {
  int64_t count = 0;
  while (ChildAt(widget, item, count) != -1) ++count;
  return count;
}

bool ItemExpanded(int64_t widget, int64_t item) {
  const TreeItemRecord r = TreeItemOf(widget, item, TVIF_STATE);
  return r.item.hItem && (r.item.state & TVIS_EXPANDED) && Next(r.tree, r.item.hItem, TVGN_CHILD);
}

bool ItemHasExpandButton(int64_t widget, int64_t item) {
  const TreeItemRecord r = TreeItemOf(widget, item, TVIF_CHILDREN);
  const bool buttons = GetWindowLongW(r.tree, GWL_STYLE) & TVS_HASBUTTONS;
  return r.item.hItem && buttons && (r.item.cChildren != 0 || Next(r.tree, r.item.hItem, TVGN_CHILD));
}

uint32_t ItemTag(int64_t widget, int64_t item) {
  const TreeItemRecord r = TreeItemOf(widget, item, TVIF_PARAM);
  return r.item.hItem ? static_cast<uint32_t>(r.item.lParam) : 0;
}

std::vector<int64_t> SelectedItems(int64_t widget) {
  HWND control = ui::Win32Control(widget);
  std::vector<int64_t> out;
  switch (KindOf(control)) {
    case Kind::ListBox: {
      const bool multi = GetWindowLongW(control, GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL);
      for (int i = 0; i < ui::win32::NativeListBoxCount(control); ++i) {
        if (multi ? Ask(control, LB_GETSEL, i, 0) > 0 : ui::win32::NativeListBoxSelection(control) == i)
          out.push_back(i);
      }
      break;
    }
    case Kind::ListView:
      for (LRESULT row = Ask(control, LVM_GETNEXTITEM, -1, LVNI_SELECTED); row >= 0;
           row = Ask(control, LVM_GETNEXTITEM, row, LVNI_SELECTED)) {
        out.push_back(row);
      }
      break;
    case Kind::TreeView:
      if (HTREEITEM s = Next(control, nullptr, TVGN_CARET)) out.push_back(PositionOf(control, s));
      break;
    default: break;
  }
  return out;
}

std::vector<int64_t> DraggedItems(int64_t widget) { return ui::Win32DraggedItems(ui::Win32Control(widget)); }

void ClickColumnHeader(int64_t widget, int64_t column) {
  HWND header = HeaderOf(widget);
  RECT r = {};
  if (!Ask(header, HDM_GETITEMRECT, column, &r)) return;
  // The header lies at the top of the list's client area.
  POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  MapWindowPoints(header, ui::Win32Control(widget), &at, 1);
  ClickAt(widget, ui::Point{at.x, at.y});
}

bool DrivePromptOpen(int64_t window) {
  Process();
  return DrivePromptOf(window) != nullptr;
}

void CancelDrivePrompt(int64_t window) {
  Ask(GetDlgItem(DrivePromptOf(window), IDCANCEL), BM_CLICK, 0, 0);
  Process();
}

}  // namespace ui_driver

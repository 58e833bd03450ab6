// The driver's item functions over the system's list box, list view and tree view, asked through
// their own messages; tree items are counted in pre-order over every item the control holds.
#include "tests/ui/driver.h"

#include <cstring>
#include <string>

// The system's headers come with the backend's own.
#include "tests/ui/win32/driver_win32.h"
#include "ui/win32/win32_ui.h"

#include <commctrl.h>

namespace ui_driver {

namespace {

enum class Kind { None, ListBox, ListView, TreeView };

Kind KindOf(HWND control) {
  wchar_t name[64] = {};
  if (!control || !GetClassNameW(control, name, 64)) return Kind::None;
  if (_wcsicmp(name, WC_LISTVIEWW) == 0) return Kind::ListView;
  if (_wcsicmp(name, WC_TREEVIEWW) == 0) return Kind::TreeView;
  return IsListBox(control) ? Kind::ListBox : Kind::None;
}

HWND ControlOf(int64_t widget) { return ui::Win32Control(widget); }

HTREEITEM Next(HWND tree, HTREEITEM item, WPARAM relation) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM NextInPreOrder(HWND tree, HTREEITEM item) {
  if (HTREEITEM child = Next(tree, item, TVGN_CHILD)) return child;
  for (; item; item = Next(tree, item, TVGN_PARENT)) {
    if (HTREEITEM sibling = Next(tree, item, TVGN_NEXT)) return sibling;
  }
  return nullptr;
}

HTREEITEM TreeItemAt(HWND tree, int64_t position) {
  if (position < 0) return nullptr;
  HTREEITEM item = Next(tree, nullptr, TVGN_ROOT);
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

bool GetTreeItem(HWND tree, HTREEITEM item, UINT mask, TVITEMW* out, wchar_t* text = nullptr, int size = 0) {
  *out = {};
  out->mask = mask | TVIF_HANDLE;
  out->hItem = item;
  out->pszText = text;
  out->cchTextMax = size;
  return item && SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(out));
}

ui::Rect RectOf(const RECT& r) { return ui::Rect{r.left, r.top, r.right - r.left, r.bottom - r.top}; }

// The item's rectangle in the control; empty when it is not shown.
ui::Rect ItemRectIn(HWND control, int64_t item) {
  RECT r = {};
  switch (KindOf(control)) {
    case Kind::ListBox: return ListBoxItemRect(control, item);
    case Kind::ListView:
      r.left = LVIR_BOUNDS;
      return item >= 0 &&
                     SendMessageW(control, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&r))
                 ? RectOf(r)
                 : ui::Rect{};
    case Kind::TreeView: {
      HTREEITEM i = TreeItemAt(control, item);
      if (!i) return {};
      // The message takes the item in the rectangle's place.
      static_assert(sizeof(HTREEITEM) <= sizeof(RECT));
      std::memcpy(&r, &i, sizeof i);
      return SendMessageW(control, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)) ? RectOf(r) : ui::Rect{};
    }
    default: return {};
  }
}

}  // namespace

ui::Rect ItemRect(int64_t widget, int64_t item) { return ItemRectIn(ControlOf(widget), item); }

runtime::Text ShownItemText(int64_t widget, int64_t item) {
  HWND control = ControlOf(widget);
  std::wstring text(32768, L'\0');
  switch (KindOf(control)) {
    case Kind::ListBox: return ListBoxItemText(control, item);
    case Kind::ListView: {
      if (item < 0 || item >= SendMessageW(control, LVM_GETITEMCOUNT, 0, 0)) return {};
      LVITEMW cell = {};
      cell.pszText = text.data();
      cell.cchTextMax = static_cast<int>(text.size());
      const LRESULT got =
          SendMessageW(control, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell));
      text.resize(got < 0 ? 0 : static_cast<size_t>(got));
      return ui::TextFromWide(text);
    }
    case Kind::TreeView: {
      TVITEMW t;
      if (!GetTreeItem(control, TreeItemAt(control, item), TVIF_TEXT, &t, text.data(), static_cast<int>(text.size())))
        return {};
      text.resize(wcsnlen(text.c_str(), text.size()));
      return ui::TextFromWide(text);
    }
    default: return {};
  }
}

void ScrollToItem(int64_t widget, int64_t item) {
  HWND control = ControlOf(widget);
  switch (KindOf(control)) {
    case Kind::ListBox: SendMessageW(control, LB_SETTOPINDEX, static_cast<WPARAM>(item), 0); break;
    case Kind::ListView: SendMessageW(control, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE); break;
    case Kind::TreeView:
      if (HTREEITEM i = TreeItemAt(control, item))
        SendMessageW(control, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(i));
      break;
    default: break;
  }
  Process();
}

void ExpandItem(int64_t widget, int64_t item) {
  HWND control = ControlOf(widget);
  if (KindOf(control) != Kind::TreeView) return;
  if (HTREEITEM i = TreeItemAt(control, item)) {
    SendMessageW(control, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(i));
    SendMessageW(control, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(i));
  }
  Process();
}

int64_t ColumnTotal(int64_t widget) {
  HWND control = ControlOf(widget);
  if (KindOf(control) == Kind::ListBox) return 1;
  if (KindOf(control) != Kind::ListView) return 0;
  HWND header = reinterpret_cast<HWND>(SendMessageW(control, LVM_GETHEADER, 0, 0));
  return header ? SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 0;
}

runtime::Text ColumnTitle(int64_t widget, int64_t column) {
  HWND control = ControlOf(widget);
  if (KindOf(control) != Kind::ListView) return {};
  std::wstring title(4096, L'\0');
  LVCOLUMNW c = {};
  c.mask = LVCF_TEXT;
  c.pszText = title.data();
  c.cchTextMax = static_cast<int>(title.size());
  if (!SendMessageW(control, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c))) return {};
  title.resize(wcsnlen(title.c_str(), title.size()));
  return ui::TextFromWide(title);
}

int32_t ColumnWidth(int64_t widget, int64_t column) {
  HWND control = ControlOf(widget);
  if (KindOf(control) != Kind::ListView) return 0;
  return static_cast<int32_t>(SendMessageW(control, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

int64_t ChildCount(int64_t widget, int64_t item) {
  HWND tree = ControlOf(widget);
  if (KindOf(tree) != Kind::TreeView) return 0;
  HTREEITEM parent = TreeItemAt(tree, item);
  int64_t count = 0;
  for (HTREEITEM c = parent ? Next(tree, parent, TVGN_CHILD) : nullptr; c; c = Next(tree, c, TVGN_NEXT)) ++count;
  return count;
}

int64_t ChildAt(int64_t widget, int64_t item, int64_t index) {
  HWND tree = ControlOf(widget);
  if (KindOf(tree) != Kind::TreeView || index < 0) return -1;
  HTREEITEM parent = TreeItemAt(tree, item);
  HTREEITEM c = parent ? Next(tree, parent, TVGN_CHILD) : nullptr;
  for (int64_t i = 0; c && i < index; ++i) c = Next(tree, c, TVGN_NEXT);
  return c ? PositionOf(tree, c) : -1;
}

bool ItemExpanded(int64_t widget, int64_t item) {
  HWND tree = ControlOf(widget);
  TVITEMW t;
  if (KindOf(tree) != Kind::TreeView || !GetTreeItem(tree, TreeItemAt(tree, item), TVIF_STATE, &t)) return false;
  return (t.state & TVIS_EXPANDED) && Next(tree, t.hItem, TVGN_CHILD);
}

bool ItemHasExpandButton(int64_t widget, int64_t item) {
  HWND tree = ControlOf(widget);
  TVITEMW t;
  if (KindOf(tree) != Kind::TreeView || !GetTreeItem(tree, TreeItemAt(tree, item), TVIF_CHILDREN, &t)) return false;
  const bool buttons = GetWindowLongW(tree, GWL_STYLE) & TVS_HASBUTTONS;
  return buttons && (t.cChildren != 0 || Next(tree, t.hItem, TVGN_CHILD));
}

uint32_t ItemTag(int64_t widget, int64_t item) {
  HWND tree = ControlOf(widget);
  TVITEMW t;
  if (KindOf(tree) != Kind::TreeView || !GetTreeItem(tree, TreeItemAt(tree, item), TVIF_PARAM, &t)) return 0;
  return static_cast<uint32_t>(t.lParam);
}

std::vector<int64_t> SelectedItems(int64_t widget) {
  HWND control = ControlOf(widget);
  std::vector<int64_t> out;
  switch (KindOf(control)) {
    case Kind::ListBox: return ListBoxSelectedItems(control);
    case Kind::ListView:
      for (int row = -1;;) {
        row = static_cast<int>(SendMessageW(control, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
        if (row < 0) break;
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

std::vector<int64_t> DraggedItems(int64_t widget) { return ui::Win32DraggedItems(ControlOf(widget)); }

void ClickColumnHeader(int64_t widget, int64_t column) {
  HWND control = ControlOf(widget);
  HWND header =
      KindOf(control) == Kind::ListView ? reinterpret_cast<HWND>(SendMessageW(control, LVM_GETHEADER, 0, 0)) : nullptr;
  RECT r = {};
  if (!header || !SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r)))
    return;
  // The header lies at the top of the list's client area.
  POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  MapWindowPoints(header, control, &at, 1);
  ClickAt(widget, ui::Point{at.x, at.y});
}

namespace {

constexpr wchar_t kPromptClass[] = L"SceneBuilderDrivePrompt";

// The drive-not-ready prompt the window owns, shown; null when none.
HWND DrivePromptOf(int64_t window) {
  HWND owner = ui::Win32Window(window);
  if (!owner) return nullptr;
  for (HWND w = FindWindowExW(nullptr, nullptr, kPromptClass, nullptr); w;
       w = FindWindowExW(nullptr, w, kPromptClass, nullptr)) {
    if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

}  // namespace

bool DrivePromptOpen(int64_t window) {
  Process();
  return DrivePromptOf(window) != nullptr;
}

void CancelDrivePrompt(int64_t window) {
  HWND prompt = DrivePromptOf(window);
  if (!prompt) return;
  if (HWND cancel = GetDlgItem(prompt, IDCANCEL)) {
    SendMessageW(cancel, BM_CLICK, 0, 0);
  } else {
    SendMessageW(prompt, WM_COMMAND, IDCANCEL, 0);
  }
  Process();
}

}  // namespace ui_driver

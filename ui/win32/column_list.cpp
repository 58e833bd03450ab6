// The column list on the system's list view in report mode. Its notifications reach the kind through
// the parent window (Win32Message::from_parent), the mouse buttons through the control's subclass.
#include "ui/column_list.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "ui/event_queue.h"
#include "ui/layout.h"
#include "ui/win32/native_controls.h"
#include "ui/win32/native_window.h"
#include "ui/win32/win32_ui.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace ui {

namespace {

using runtime::Text;
using runtime::TextView;

constexpr size_t kTitleBuffer = 4096;

// A row's per-item value, made the first time its data or a cell colour is set.
struct RowExtra {
  int64_t data = 0;
  std::vector<int64_t> colours;  // per column, -1 = the list's colour
};

struct ListRecord {
  HWND list = nullptr;
  bool check_boxes = false;
  bool three_state = false;
  int64_t longest = 0;  // longest column text since creation or the last clear
  int64_t text_colour = -1;
  int64_t back_colour = -1;
  int64_t grid_colour = -1;  // kept and reported; the control draws its grid in the system's colour
  COLORREF default_text = 0;
  COLORREF default_back = 0;
  COLORREF default_text_back = 0;
  int64_t last_selected = -1;  // mirrors "VX_LastSelected"
  int64_t clicked_column = -1;
  HIMAGELIST state_images = nullptr;  // three-state check boxes
  std::vector<std::unique_ptr<RowExtra>> extras;
  // Per column: its kColumn... style and what its widest text takes (its title apart).
  std::vector<uint32_t> styles;
  std::vector<int> text_widths;
  bool fitting = false;
};

// The list view's own padding around a cell's text.
constexpr int kCellPadding = 12;

uint32_t StyleOf(const ListRecord* r, int column) {
  return column >= 0 && column < static_cast<int>(r->styles.size()) ? r->styles[static_cast<size_t>(column)] : 0;
}

bool AnyStyle(const ListRecord* r, uint32_t bits) {
  return std::any_of(r->styles.begin(), r->styles.end(), [bits](uint32_t s) { return (s & bits) != 0; });
}

int TextWidth(const ListRecord* r, const std::wstring& text) {
  return static_cast<int>(SendMessageW(r->list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str()))) +
         kCellPadding;
}

Text ColumnTitleOf(const ListRecord* r, int column);

// Lays the columns over the visible width when any column fits its texts or fills the list.
void FitColumns(ListRecord* r) {
  const int columns = win32::NativeListViewColumnCount(r->list);
  if (r->fitting || static_cast<int>(r->styles.size()) != columns ||
      !AnyStyle(r, kColumnFitsTexts | kColumnFillsList)) {
    return;
  }
  r->fitting = true;
  std::vector<ColumnNeed> needs;
  for (int c = 0; c < columns; ++c) {
    ColumnNeed need;
    need.width = static_cast<int32_t>(SendMessageW(r->list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0));
    need.fits_texts = (StyleOf(r, c) & kColumnFitsTexts) != 0;
    need.fills = (StyleOf(r, c) & kColumnFillsList) != 0;
    need.texts = std::max(r->text_widths[static_cast<size_t>(c)],
                          TextWidth(r, WideFromText(ColumnTitleOf(r, c))) + kCellPadding);
    needs.push_back(need);
  }
  // New widths may take a scroll bar away or bring one, and so change the visible width: once more.
  for (int pass = 0; pass < 2; ++pass) {
    RECT client{};
    GetClientRect(r->list, &client);
    const std::vector<int32_t> widths = FitColumnWidths(client.right - client.left, needs);
    bool changed = false;
    for (int c = 0; c < columns; ++c) {
      const int32_t now = static_cast<int32_t>(SendMessageW(r->list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0));
      if (now == widths[static_cast<size_t>(c)]) continue;
      SendMessageW(r->list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(c), MAKELPARAM(widths[static_cast<size_t>(c)], 0));
      changed = true;
    }
    if (!changed) break;
  }
  r->fitting = false;
}

ListRecord* RecordOf(WidgetRecord* w) { return static_cast<ListRecord*>(w->kind_data); }

int RowCount(const ListRecord* r) { return win32::NativeListViewCount(r->list); }
int ColumnCount(const ListRecord* r) { return win32::NativeListViewColumnCount(r->list); }
bool RowExists(const ListRecord* r, int64_t row) { return row >= 0 && row < RowCount(r); }
bool ColumnExists(const ListRecord* r, int64_t column) { return column >= 0 && column < ColumnCount(r); }

int FirstSelectedRow(const ListRecord* r) { return win32::NativeListViewSelection(r->list); }

std::vector<int64_t> SelectedRows(const ListRecord* r) {
  std::vector<int64_t> rows;
  for (int row = -1;;) {
    row = static_cast<int>(SendMessageW(r->list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
    if (row < 0) return rows;
    rows.push_back(row);
  }
}

RowExtra* ExtraOf(const ListRecord* r, int row) {
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(r->list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  return reinterpret_cast<RowExtra*>(item.lParam);
}

RowExtra* MakeExtra(ListRecord* r, int row) {
  if (RowExtra* extra = ExtraOf(r, row)) return extra;
  auto made = std::make_unique<RowExtra>();
  made->colours.assign(static_cast<size_t>(ColumnCount(r)), -1);
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  item.lParam = reinterpret_cast<LPARAM>(made.get());
  if (!SendMessageW(r->list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  r->extras.push_back(std::move(made));
  return r->extras.back().get();
}

void FreeExtra(ListRecord* r, const RowExtra* extra) {
  if (!extra) return;
  r->extras.erase(std::remove_if(r->extras.begin(), r->extras.end(),
                                 [extra](const std::unique_ptr<RowExtra>& e) { return e.get() == extra; }),
                  r->extras.end());
}

// The cell text through a buffer of the longest text added plus one.
Text CellText(const ListRecord* r, int row, int column) {
  const size_t size = static_cast<size_t>(std::min<int64_t>(r->longest, INT_MAX - 1)) + 1;
  std::wstring buffer(size, L'\0');
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = buffer.data();
  item.cchTextMax = static_cast<int>(size);
  const LRESULT got =
      SendMessageW(r->list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  buffer.resize(got <= 0 ? 0 : std::min(static_cast<size_t>(got), size - 1));
  return TextFromWide(buffer);
}

void SetCellText(ListRecord* r, int row, int column, TextView text) {
  const std::wstring wide = WideFromText(text);
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(wide.c_str());
  SendMessageW(r->list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  r->longest = std::max<int64_t>(r->longest, runtime::TextLength(text));
  if (column < static_cast<int>(r->text_widths.size()) && StyleOf(r, column) != 0) {
    int& widest = r->text_widths[static_cast<size_t>(column)];
    widest = std::max(widest, TextWidth(r, wide));
  }
}

void SetRowTexts(ListRecord* r, int row, TextView text) {
  const std::vector<Text> pieces = SplitColumnTexts(text);
  const int columns = ColumnCount(r);
  for (size_t c = 0; c < pieces.size(); ++c) {
    if (static_cast<int>(c) < columns) {
      SetCellText(r, row, static_cast<int>(c), pieces[c]);
    } else {
      r->longest = std::max<int64_t>(r->longest, runtime::TextLength(pieces[c]));
    }
  }
}

Text ColumnTitleOf(const ListRecord* r, int column) {
  std::wstring buffer(kTitleBuffer, L'\0');
  LVCOLUMNW c = {};
  c.mask = LVCF_TEXT;
  c.pszText = buffer.data();
  c.cchTextMax = static_cast<int>(kTitleBuffer);
  if (!SendMessageW(r->list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c))) return Text();
  buffer.resize(wcsnlen(buffer.c_str(), kTitleBuffer));
  return TextFromWide(buffer);
}

// Every row's texts, column by column, for moving them when columns come and go.
std::vector<std::vector<Text>> AllTexts(const ListRecord* r) {
  std::vector<std::vector<Text>> rows(static_cast<size_t>(RowCount(r)));
  const int columns = ColumnCount(r);
  for (size_t row = 0; row < rows.size(); ++row) {
    for (int c = 0; c < columns; ++c) rows[row].push_back(CellText(r, static_cast<int>(row), c));
  }
  return rows;
}

void RewriteTexts(ListRecord* r, const std::vector<std::vector<Text>>& rows) {
  for (size_t row = 0; row < rows.size(); ++row) {
    for (size_t c = 0; c < rows[row].size(); ++c)
      SetCellText(r, static_cast<int>(row), static_cast<int>(c), rows[row][c]);
  }
}

void SetLastSelected(ListRecord* r, int64_t row) {
  r->last_selected = row;
  win32::NativeSetNumber(r->list, L"VX_LastSelected", row);
}

// When nothing is selected any more although a row was reported as selected, that change is reported
// now, once.
void DeselectionCheck(ListRecord* r) {
  if (FirstSelectedRow(r) >= 0 || r->last_selected == -1) return;
  SetLastSelected(r, -1);
  PostWidgetEvent(r->list, WidgetEventChange);
}

int CheckStateIndex(UINT state) { return static_cast<int>((state & LVIS_STATEIMAGEMASK) >> 12); }

void OnItemChanged(ListRecord* r, const NMLISTVIEW* n) {
  if (!(n->uChanged & LVIF_STATE)) return;
  const bool now_selected = n->uNewState & LVIS_SELECTED;
  const bool was_selected = n->uOldState & LVIS_SELECTED;
  if (now_selected && n->iItem >= 0) {
    SetLastSelected(r, n->iItem);
    PostWidgetEvent(r->list, WidgetEventChange);
  } else if (was_selected && !now_selected) {
    PostWidgetEvent(r->list, WidgetEventChange);
  }
  if (CheckStateIndex(n->uNewState) != CheckStateIndex(n->uOldState)) PostWidgetEvent(r->list, WidgetEventChange);
}

// The list view ends a text too wide for its cell with "...": a column that elides in the middle has
// such a cell drawn again over it, its text cut in the middle instead.
void DrawElidedInTheMiddle(ListRecord* r, const NMLVCUSTOMDRAW* d) {
  const int row = static_cast<int>(d->nmcd.dwItemSpec);
  RECT cell{};
  cell.top = d->iSubItem;
  cell.left = LVIR_LABEL;
  if (!SendMessageW(r->list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell))) return;
  const std::wstring text = WideFromText(CellText(r, row, d->iSubItem));
  SIZE extent{};
  HDC dc = d->nmcd.hdc;
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  RECT inside = cell;
  inside.left += kCellPadding / 2;
  inside.right -= kCellPadding / 2;
  if (extent.cx <= inside.right - inside.left) return;
  const bool selected =
      (SendMessageW(r->list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) != 0;
  const bool focused = GetFocus() == r->list;
  COLORREF back = r->back_colour >= 0 ? static_cast<COLORREF>(r->back_colour) : r->default_back;
  COLORREF fore = d->clrText;
  if (selected) {
    back = GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
    fore = GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
  }
  HBRUSH brush = CreateSolidBrush(back);
  FillRect(dc, &cell, brush);
  DeleteObject(brush);
  const COLORREF old_text = SetTextColor(dc, fore);
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  std::wstring shown = text;
  DrawTextW(dc, shown.data(), static_cast<int>(shown.size()), &inside,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_PATH_ELLIPSIS | DT_LEFT);
  SetBkMode(dc, old_mode);
  SetTextColor(dc, old_text);
}

// Cell colours: the list asks before each cell is drawn.
LRESULT OnCustomDraw(ListRecord* r, NMLVCUSTOMDRAW* d) {
  const bool middles = AnyStyle(r, kColumnElideMiddle);
  switch (d->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return r->extras.empty() && !middles ? CDRF_DODEFAULT : CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      const auto* extra = reinterpret_cast<const RowExtra*>(d->nmcd.lItemlParam);
      const size_t column = static_cast<size_t>(d->iSubItem);
      const int64_t cell = extra && column < extra->colours.size() ? extra->colours[column] : -1;
      d->clrText = cell >= 0 ? static_cast<COLORREF>(cell)
                             : (r->text_colour >= 0 ? static_cast<COLORREF>(r->text_colour) : r->default_text);
      return (StyleOf(r, d->iSubItem) & kColumnElideMiddle) ? CDRF_NEWFONT | CDRF_NOTIFYPOSTPAINT : CDRF_NEWFONT;
    }
    case CDDS_ITEMPOSTPAINT | CDDS_SUBITEM: DrawElidedInTheMiddle(r, d); return CDRF_DODEFAULT;
    default: return CDRF_DODEFAULT;
  }
}

bool OnParentNotify(ListRecord* r, const NMHDR* h, LRESULT* result) {
  switch (h->code) {
    case LVN_ITEMCHANGED: OnItemChanged(r, reinterpret_cast<const NMLISTVIEW*>(h)); return false;
    case NM_CLICK:
      DeselectionCheck(r);
      if (FirstSelectedRow(r) >= 0) PostWidgetEvent(r->list, WidgetEventLeftClick);
      return false;
    case NM_RCLICK:
      DeselectionCheck(r);
      PostWidgetEvent(r->list, WidgetEventRightClick);
      return false;
    case NM_DBLCLK: PostWidgetEvent(r->list, WidgetEventDoubleClick); return false;
    case NM_RDBLCLK: PostWidgetEvent(r->list, WidgetEventRightDoubleClick); return false;
    case LVN_COLUMNCLICK:
      r->clicked_column = reinterpret_cast<const NMLISTVIEW*>(h)->iSubItem;
      win32::NativeSetNumber(r->list, L"VX_ClikedColumn", r->clicked_column);
      PostWidgetEvent(r->list, WidgetEventColumnClick);
      return false;
    case LVN_BEGINDRAG:
      Win32SetDraggedItems(r->list, SelectedRows(r));
      PostWidgetEvent(r->list, WidgetEventDragStart);
      return false;
    case NM_CUSTOMDRAW:
      *result = OnCustomDraw(r, reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(h)));
      return true;
    default: return false;
  }
}

// Kind operations.

int64_t ListNotify(WidgetRecord* w, void* /*target*/, void* event) {
  ListRecord* r = RecordOf(w);
  auto* m = static_cast<Win32Message*>(event);
  if (!r || !m) return kNotHandled;
  if (m->from_parent) {
    const NMHDR* h = ParentNotifyFrom(m, r->list);
    return h != nullptr && OnParentNotify(r, h, &m->result) ? 1 : kNotHandled;
  }
  switch (m->message) {
    case WM_SIZE:
      m->result = DefSubclassProc(m->control, m->message, m->wparam, m->lparam);
      FitColumns(r);
      return 1;
    case WM_LBUTTONDOWN:
      // A press beside the rows lets go of every row: that loss is reported now, so the release finds
      // nothing left to report.
      m->result = DefSubclassProc(m->control, m->message, m->wparam, m->lparam);
      if (!(m->wparam & (MK_CONTROL | MK_SHIFT))) DeselectionCheck(r);
      return 1;
    case WM_LBUTTONUP:
      DeselectionCheck(r);
      if (FirstSelectedRow(r) >= 0) PostWidgetEvent(r->list, WidgetEventLeftClick);
      return kNotHandled;
    default: return kNotHandled;
  }
}

// The control is gone: only what the record owns is freed.
void ListRelease(WidgetRecord* w) {
  ListRecord* r = RecordOf(w);
  if (!r) return;
  if (r->state_images) ImageList_Destroy(r->state_images);
  delete r;
  w->kind_data = nullptr;
}

int64_t ListGetState(WidgetRecord* w) { return FirstSelectedRow(RecordOf(w)); }

void SelectRow(ListRecord* r, int row, bool selected) { win32::NativeListViewSelect(r->list, row, selected); }

void ListSetState(WidgetRecord* w, int64_t state) {
  ListRecord* r = RecordOf(w);
  LVITEMW none = {};
  none.stateMask = LVIS_SELECTED;
  SendMessageW(r->list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  if (RowExists(r, state)) SelectRow(r, static_cast<int>(state), true);
}

Text ListGetText(WidgetRecord* w) {
  ListRecord* r = RecordOf(w);
  const int row = FirstSelectedRow(r);
  return row >= 0 ? CellText(r, row, 0) : Text();
}

void ListSetText(WidgetRecord* w, TextView text) {
  ListRecord* r = RecordOf(w);
  const int row = FirstSelectedRow(r);
  if (row >= 0) SetRowTexts(r, row, text);
}

int64_t ListAddItem(WidgetRecord* w, int64_t position, TextView text, int64_t /*image*/) {
  ListRecord* r = RecordOf(w);
  const int count = RowCount(r);
  LVITEMW item = {};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = (position < 0 || position > count) ? count : static_cast<int>(position);
  item.pszText = const_cast<wchar_t*>(L"");
  const LRESULT row = SendMessageW(r->list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  if (row >= 0) SetRowTexts(r, static_cast<int>(row), text);
  FitColumns(r);
  return 0;
}

int64_t ListRemoveItem(WidgetRecord* w, int64_t item) {
  ListRecord* r = RecordOf(w);
  if (!RowExists(r, item)) return 0;
  const RowExtra* extra = ExtraOf(r, static_cast<int>(item));
  if (!SendMessageW(r->list, LVM_DELETEITEM, static_cast<WPARAM>(item), 0)) return 0;
  FreeExtra(r, extra);
  return 1;
}

void ListClearItems(WidgetRecord* w) {
  ListRecord* r = RecordOf(w);
  win32::NativeListViewClear(r->list);
  r->extras.clear();
  r->longest = 0;
  std::fill(r->text_widths.begin(), r->text_widths.end(), 0);
  FitColumns(r);
}

int64_t ListCountItems(WidgetRecord* w) { return RowCount(RecordOf(w)); }

int64_t ListGetItemState(WidgetRecord* w, int64_t item) {
  ListRecord* r = RecordOf(w);
  if (!RowExists(r, item)) return 0;
  const UINT state = static_cast<UINT>(
      SendMessageW(r->list, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_SELECTED | LVIS_STATEIMAGEMASK));
  int64_t result = (state & LVIS_SELECTED) ? kListItemSelected : 0;
  if (r->check_boxes && CheckStateIndex(state) == 2) result |= kListItemChecked;
  if (r->check_boxes && CheckStateIndex(state) == 3) result |= kListItemPartlyChecked;
  return result;
}

void ListSetItemState(WidgetRecord* w, int64_t item, int64_t state) {
  ListRecord* r = RecordOf(w);
  if (!RowExists(r, item)) return;
  LVITEMW s = {};
  s.stateMask = LVIS_SELECTED;
  s.state = (state & kListItemSelected) ? LVIS_SELECTED : 0;
  if (r->check_boxes) {
    // State images: 1 unticked, 2 ticked, 3 partly ticked.
    const UINT image = (state & kListItemChecked) ? 2 : ((state & kListItemPartlyChecked) && r->three_state) ? 3 : 1;
    s.stateMask |= LVIS_STATEIMAGEMASK;
    s.state |= INDEXTOSTATEIMAGEMASK(image);
  }
  SendMessageW(r->list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&s));
}

Text ListGetItemText(WidgetRecord* w, int64_t item, int64_t column) {
  ListRecord* r = RecordOf(w);
  if (!ColumnExists(r, column)) return Text();
  if (item == -1) return ColumnTitleOf(r, static_cast<int>(column));
  if (!RowExists(r, item)) return Text();
  return CellText(r, static_cast<int>(item), static_cast<int>(column));
}

void ListSetItemText(WidgetRecord* w, int64_t item, TextView text, int64_t column) {
  ListRecord* r = RecordOf(w);
  if (!ColumnExists(r, column)) return;
  if (item == -1) {
    const std::wstring title = WideFromText(text);
    LVCOLUMNW c = {};
    c.mask = LVCF_TEXT;
    c.pszText = const_cast<wchar_t*>(title.c_str());
    SendMessageW(r->list, LVM_SETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c));
    return;
  }
  if (RowExists(r, item)) SetCellText(r, static_cast<int>(item), static_cast<int>(column), text);
}

// The control keeps a row's texts by column index; they are written again after a column comes or
// goes, so that every old text stays under its old title and a new column starts empty.
int64_t ListAddColumn(WidgetRecord* w, int64_t position, TextView title, int64_t width) {
  ListRecord* r = RecordOf(w);
  if (position < 0) return 0;
  const int columns = ColumnCount(r);
  const int column = static_cast<int>(std::min<int64_t>(position, columns));
  std::vector<std::vector<Text>> rows = column < columns ? AllTexts(r) : std::vector<std::vector<Text>>{};
  const int32_t w32 = static_cast<int32_t>(std::clamp<int64_t>(width, 0, INT32_MAX));
  if (!win32::NativeListViewAddColumn(r->list, column, WideFromText(title).c_str(), ScaleX(w32))) return 0;
  r->styles.insert(r->styles.begin() + column, 0u);
  r->text_widths.insert(r->text_widths.begin() + column, 0);
  for (auto& texts : rows) texts.insert(texts.begin() + column, Text());
  RewriteTexts(r, rows);
  for (auto& extra : r->extras) extra->colours.insert(extra->colours.begin() + column, -1);
  return 0;
}

void ListRemoveColumn(WidgetRecord* w, int64_t column) {
  ListRecord* r = RecordOf(w);
  if (!ColumnExists(r, column)) return;
  std::vector<std::vector<Text>> rows = AllTexts(r);
  if (!SendMessageW(r->list, LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0)) return;
  r->styles.erase(r->styles.begin() + column);
  r->text_widths.erase(r->text_widths.begin() + column);
  for (auto& texts : rows) texts.erase(texts.begin() + column);
  RewriteTexts(r, rows);
  for (auto& extra : r->extras) {
    if (static_cast<size_t>(column) < extra->colours.size()) extra->colours.erase(extra->colours.begin() + column);
  }
}

int64_t ListGetAttribute(WidgetRecord* w, int64_t attribute) {
  ListRecord* r = RecordOf(w);
  switch (attribute) {
    case kListAttributeView: return 3;
    case kListAttributeColumnCount: return ColumnCount(r);
    case kListAttributeClickedColumn: return r->clicked_column;
    default: return 0;
  }
}

void ListSetColour(WidgetRecord* w, int64_t which, int64_t colour) {
  ListRecord* r = RecordOf(w);
  if (colour < 0) colour = -1;
  const auto value = static_cast<COLORREF>(colour);
  switch (which) {
    case kListColourText:
      r->text_colour = colour;
      SendMessageW(r->list, LVM_SETTEXTCOLOR, 0, colour < 0 ? r->default_text : value);
      break;
    case kListColourBackground:
      r->back_colour = colour;
      SendMessageW(r->list, LVM_SETBKCOLOR, 0, colour < 0 ? r->default_back : value);
      SendMessageW(r->list, LVM_SETTEXTBKCOLOR, 0, colour < 0 ? r->default_text_back : value);
      break;
    case kListColourGrid: r->grid_colour = colour; break;
    default: return;
  }
  InvalidateRect(r->list, nullptr, TRUE);
}

int64_t ListGetColour(WidgetRecord* w, int64_t which) {
  ListRecord* r = RecordOf(w);
  switch (which) {
    case kListColourText: return r->text_colour;
    case kListColourBackground: return r->back_colour;
    case kListColourGrid: return r->grid_colour;
    default: return 0;
  }
}

// A cell's own text colour; `column` picks the cell of the row.
void ListSetItemColour(WidgetRecord* w, int64_t item, int64_t column, int64_t colour) {
  ListRecord* r = RecordOf(w);
  if (!RowExists(r, item) || !ColumnExists(r, column)) return;
  RowExtra* extra = MakeExtra(r, static_cast<int>(item));
  if (!extra) return;
  if (extra->colours.size() <= static_cast<size_t>(column)) extra->colours.resize(static_cast<size_t>(column) + 1, -1);
  extra->colours[static_cast<size_t>(column)] = colour < 0 ? -1 : colour;
  InvalidateRect(r->list, nullptr, TRUE);
}

int64_t ListGetItemColour(WidgetRecord* w, int64_t item, int64_t column) {
  ListRecord* r = RecordOf(w);
  if (!RowExists(r, item) || !ColumnExists(r, column)) return -1;
  const RowExtra* extra = ExtraOf(r, static_cast<int>(item));
  return extra && static_cast<size_t>(column) < extra->colours.size() ? extra->colours[static_cast<size_t>(column)]
                                                                      : -1;
}

void ListSetItemData(WidgetRecord* w, int64_t item, int64_t data) {
  ListRecord* r = RecordOf(w);
  if (!RowExists(r, item)) return;
  if (RowExtra* extra = MakeExtra(r, static_cast<int>(item))) extra->data = data;
}

int64_t ListGetItemData(WidgetRecord* w, int64_t item) {
  ListRecord* r = RecordOf(w);
  if (!RowExists(r, item)) return 0;
  const RowExtra* extra = ExtraOf(r, static_cast<int>(item));
  return extra ? extra->data : 0;
}

const WidgetKindOps* ListOps() {
  static WidgetKindOps ops = [] {
    WidgetKindOps o{};
    o.kind = WidgetKindColumnList;
    o.size = sizeof(WidgetKindOps);
    o.notify = ListNotify;
    o.release = ListRelease;
    o.get_state = ListGetState;
    o.set_state = ListSetState;
    o.get_text = ListGetText;
    o.set_text = ListSetText;
    o.add_item = ListAddItem;
    o.remove_item = ListRemoveItem;
    o.clear_items = ListClearItems;
    o.count_items = ListCountItems;
    o.get_item_state = ListGetItemState;
    o.set_item_state = ListSetItemState;
    o.get_item_text = ListGetItemText;
    o.set_item_text = ListSetItemText;
    o.add_column = ListAddColumn;
    o.remove_column = ListRemoveColumn;
    o.get_attribute = ListGetAttribute;
    o.set_colour = ListSetColour;
    o.get_colour = ListGetColour;
    o.set_item_colour = ListSetItemColour;
    o.get_item_colour = ListGetItemColour;
    o.set_item_data = ListSetItemData;
    o.get_item_data = ListGetItemData;
    return o;
  }();
  return &ops;
}

// Unticked, ticked and partly ticked boxes in the system's button look, for three-state check boxes.
HIMAGELIST MakeThreeStateImages() {
  const int size = GetSystemMetrics(SM_CXSMICON);
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32, 3, 0);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  const UINT looks[] = {DFCS_BUTTONCHECK, DFCS_BUTTONCHECK | DFCS_CHECKED, DFCS_BUTTON3STATE | DFCS_CHECKED};
  for (UINT look : looks) {
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT box = {0, 0, size, size};
    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
    InflateRect(&box, -1, -1);
    DrawFrameControl(dc, &box, DFC_BUTTON, look);
    SelectObject(dc, old);
    if (images) ImageList_Add(images, bitmap, nullptr);
    DeleteObject(bitmap);
  }
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return images;
}

}  // namespace

std::vector<Text> SplitColumnTexts(TextView text) {
  std::vector<Text> pieces;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(u'\n', start);
    if (end == TextView::npos) {
      pieces.emplace_back(text.substr(start));
      return pieces;
    }
    pieces.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
}

void ColumnListSetColumnStyle(runtime::ObjectNumber number, int64_t column, uint32_t style) {
  WidgetRecord* w = FindWidget(number);
  if (w == nullptr || w->ops != ListOps()) return;
  ListRecord* r = RecordOf(w);
  if (!ColumnExists(r, column) || static_cast<int>(r->styles.size()) != ColumnCount(r)) return;
  r->styles[static_cast<size_t>(column)] = style;
  // The widest text so far, now that the column keeps count.
  int& widest = r->text_widths[static_cast<size_t>(column)];
  widest = 0;
  for (int row = 0; row < RowCount(r); ++row) {
    widest = std::max(widest, TextWidth(r, WideFromText(CellText(r, row, static_cast<int>(column)))));
  }
  LVCOLUMNW format = {};
  format.mask = LVCF_FMT;
  format.fmt = (style & kColumnAlignRight) ? LVCFMT_RIGHT : LVCFMT_LEFT;
  SendMessageW(r->list, LVM_SETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&format));
  FitColumns(r);
  InvalidateRect(r->list, nullptr, TRUE);
}

int64_t ColumnListCreate(runtime::ObjectNumber number, int32_t x, int32_t y, int32_t width, int32_t height,
                         TextView first_title, int32_t first_width, uint32_t flags) {
  HWND container = Win32Container();
  if (!container) return 0;
  WidgetRecord* w = AcquireWidget(number);
  if (!w) return 0;
  const ScaledRect rect = ScaleRect(x, y, width, height);
  // Flag 4 allows several selected rows: the style bit is the single-selection one, inverted.
  const DWORD style = LVS_REPORT | LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS |
                      ((flags & kListMultipleSelection) ? 0u : static_cast<DWORD>(LVS_SINGLESEL));
  HWND list = win32::NativeControlCreate(WC_LISTVIEWW, WS_EX_CLIENTEDGE, style, container,
                                         {rect.x, rect.y, rect.width, rect.height}, 0, nullptr);
  auto* r = new ListRecord;
  r->list = list;
  r->check_boxes = flags & kListCheckBoxes;
  r->three_state = (flags & (kListCheckBoxes | kListThreeStateChecks)) == (kListCheckBoxes | kListThreeStateChecks);
  w->kind_data = r;
  if (list) {
    // Rows are picked by any of their cells, as on every other toolkit the lists run on.
    DWORD ex = LVS_EX_DOUBLEBUFFER | LVS_EX_FULLROWSELECT;
    if (r->check_boxes) ex |= LVS_EX_CHECKBOXES;
    if (flags & kListReorderColumns) ex |= LVS_EX_HEADERDRAGDROP;
    if (flags & kListGridLines) ex |= LVS_EX_GRIDLINES;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
    if (r->three_state) {
      r->state_images = MakeThreeStateImages();
      if (r->state_images) SendMessageW(list, LVM_SETIMAGELIST, LVSIL_STATE, reinterpret_cast<LPARAM>(r->state_images));
    }
    r->default_text = static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0));
    r->default_back = static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0));
    r->default_text_back = static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTBKCOLOR, 0, 0));
  }
  const int64_t result = RegisterWidget(number, w, list, ListOps());
  if (result == 0) {
    if (r->state_images) ImageList_Destroy(r->state_images);
    delete r;  // the registration has already destroyed the control and given the record back
    return 0;
  }
  ListAddColumn(w, 0, first_title, first_width);
  return result;
}

}  // namespace ui

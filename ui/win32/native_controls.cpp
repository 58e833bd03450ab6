#include "ui/win32/native_controls.h"

#include <objbase.h>

namespace ui::win32 {
namespace {

// The largest cell or item text read back; longer texts come back cut.
constexpr int kTextLimit = 32768;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

// Non-client metrics with the density-aware query where the system has it.
using MetricsForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

bool MessageFontFor(UINT dpi, LOGFONTW* font) {
  NONCLIENTMETRICSW m = {};
  m.cbSize = sizeof m;
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  auto for_dpi = user32 ? reinterpret_cast<MetricsForDpiFn>(
                              reinterpret_cast<void*>(GetProcAddress(user32, "SystemParametersInfoForDpi")))
                        : nullptr;
  if (for_dpi && for_dpi(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0, dpi)) {
    *font = m.lfMessageFont;
    return true;
  }
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0)) return false;
  // The plain query answers at the system's density; bring the height to the one asked for.
  HDC screen = GetDC(nullptr);
  const int system_dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  m.lfMessageFont.lfHeight = MulDiv(m.lfMessageFont.lfHeight, static_cast<int>(dpi), system_dpi > 0 ? system_dpi : 96);
  *font = m.lfMessageFont;
  return true;
}

}  // namespace

bool NativeInitControls() {
  // The shell's icon queries need the component services on this thread; S_FALSE (already
  // initialised) is as good as S_OK.
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return false;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
  return InitCommonControlsEx(&icc) != FALSE;
}

HWND NativeControlCreate(const wchar_t* class_name, DWORD ex_style, DWORD flags, HWND parent, const NativeRect& rect,
                         int id, const wchar_t* text) {
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | flags;
  return CreateWindowExW(ex_style, class_name, text ? text : L"", style, rect.x, rect.y, rect.width, rect.height,
                         parent, reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), Instance(), nullptr);
}

void NativeControlDestroy(HWND control) {
  if (control && IsWindow(control)) DestroyWindow(control);
}

std::wstring NativeWindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

HFONT NativeMessageFont(UINT dpi) {
  LOGFONTW font;
  HFONT made = MessageFontFor(dpi, &font) ? CreateFontIndirectW(&font) : nullptr;
  return made ? made : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void NativeSetFont(HWND control, HFONT font) {
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

HWND NativeButtonCreate(HWND parent, const NativeRect& rect, int id, const wchar_t* caption, DWORD flags) {
  return NativeControlCreate(L"Button", 0, WS_GROUP | BS_PUSHBUTTON | flags, parent, rect, id, caption);
}

HWND NativeLabelCreate(HWND parent, const NativeRect& rect, int id) {
  const DWORD style = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE | SS_PATHELLIPSIS;
  return CreateWindowExW(0, L"Static", L"", style, rect.x, rect.y, rect.width, rect.height, parent,
                         reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), Instance(), nullptr);
}

HWND NativeListBoxCreate(HWND parent, const NativeRect& rect, int id, DWORD flags) {
  const DWORD style = WS_VSCROLL | WS_HSCROLL | WS_GROUP | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | flags;
  return NativeControlCreate(L"ListBox", WS_EX_CLIENTEDGE, style, parent, rect, id, nullptr);
}

int NativeListBoxAdd(HWND list, int position, const wchar_t* text) {
  const LRESULT r =
      SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(text ? text : L""));
  return r < 0 ? -1 : static_cast<int>(r);
}

void NativeListBoxClear(HWND list) { SendMessageW(list, LB_RESETCONTENT, 0, 0); }

int NativeListBoxCount(HWND list) {
  const LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
  return n < 0 ? 0 : static_cast<int>(n);
}

int NativeListBoxSelection(HWND list) {
  const LRESULT i = SendMessageW(list, LB_GETCURSEL, 0, 0);
  return i < 0 ? -1 : static_cast<int>(i);
}

void NativeListBoxSelect(HWND list, int index) { SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0); }

std::wstring NativeListBoxText(HWND list, int index) {
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR || length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(got < 0 ? 0 : static_cast<size_t>(got));
  return text;
}

HWND NativeListViewCreate(HWND parent, const NativeRect& rect, int id, DWORD flags) {
  HWND list = NativeControlCreate(WC_LISTVIEWW, WS_EX_CLIENTEDGE, LVS_REPORT | LVS_SHAREIMAGELISTS | flags, parent,
                                  rect, id, nullptr);
  if (list) {
    const DWORD ex = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
  }
  return list;
}

bool NativeListViewAddColumn(HWND list, int position, const wchar_t* title, int width) {
  LVCOLUMNW column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = const_cast<wchar_t*>(title ? title : L"");
  column.cx = width;
  if (position < 0) position = NativeListViewColumnCount(list);
  column.iSubItem = position;
  return SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&column)) >= 0;
}

int NativeListViewColumnCount(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  const LRESULT n = header ? SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 0;
  return n < 0 ? 0 : static_cast<int>(n);
}

int NativeListViewAddRow(HWND list, int position, const std::vector<std::wstring>& cells, int image) {
  const int count = NativeListViewCount(list);
  LVITEMW item = {};
  item.mask = LVIF_TEXT | (image >= 0 ? LVIF_IMAGE : 0u);
  item.iItem = position < 0 || position > count ? count : position;
  item.pszText = const_cast<wchar_t*>(cells.empty() ? L"" : cells[0].c_str());
  item.iImage = image;
  const LRESULT row = SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  if (row < 0) return -1;
  for (size_t c = 1; c < cells.size(); ++c) {
    LVITEMW cell = {};
    cell.iSubItem = static_cast<int>(c);
    cell.pszText = const_cast<wchar_t*>(cells[c].c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
  }
  return static_cast<int>(row);
}

int NativeListViewCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

void NativeListViewClear(HWND list) { SendMessageW(list, LVM_DELETEALLITEMS, 0, 0); }

int NativeListViewSelection(HWND list) {
  return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void NativeListViewSelect(HWND list, int row, bool selected) {
  LVITEMW item = {};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = selected ? LVIS_SELECTED | LVIS_FOCUSED : 0;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::wstring NativeListViewText(HWND list, int row, int column) {
  if (row < 0 || row >= NativeListViewCount(list)) return {};
  std::wstring text(kTextLimit, L'\0');
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = text.data();
  item.cchTextMax = kTextLimit;
  const LRESULT got = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  text.resize(got < 0 ? 0 : static_cast<size_t>(got));
  return text;
}

HWND NativeTreeViewCreate(HWND parent, const NativeRect& rect, int id, DWORD flags) {
  const DWORD style = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | flags;
  return NativeControlCreate(WC_TREEVIEWW, WS_EX_CLIENTEDGE, style, parent, rect, id, nullptr);
}

HTREEITEM NativeTreeAdd(HWND tree, const NativeTreeItemRecord& wanted) {
  TVINSERTSTRUCTW insert = {};
  insert.hParent = wanted.parent ? wanted.parent : TVI_ROOT;
  insert.hInsertAfter = wanted.after ? wanted.after : TVI_LAST;
  TVITEMW& item = insert.item;
  item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
  item.pszText = const_cast<wchar_t*>(wanted.text ? wanted.text : L"");
  item.lParam = wanted.data;
  // A plain 1 rather than I_CHILDRENCALLBACK: the button shows without the tree asking back,
  // and the real answer is set once the children have been looked for.
  item.cChildren = wanted.may_have_children ? 1 : 0;
  if (wanted.image >= 0) {
    item.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.iImage = item.iSelectedImage = wanted.image;
  }
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

LPARAM NativeTreeData(HWND tree, HTREEITEM item) {
  TVITEMW t = {};
  t.mask = TVIF_PARAM | TVIF_HANDLE;
  t.hItem = item;
  return SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&t)) ? t.lParam : 0;
}

std::wstring NativeTreeText(HWND tree, HTREEITEM item) {
  std::wstring text(kTextLimit, L'\0');
  TVITEMW t = {};
  t.mask = TVIF_TEXT | TVIF_HANDLE;
  t.hItem = item;
  t.pszText = text.data();
  t.cchTextMax = kTextLimit;
  if (!item || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&t))) return {};
  text.resize(wcsnlen(text.c_str(), kTextLimit));
  return text;
}

HTREEITEM NativeTreeFirstChild(HWND tree, HTREEITEM item) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_GETNEXTITEM, item ? TVGN_CHILD : TVGN_ROOT, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM NativeTreeNextSibling(HWND tree, HTREEITEM item) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM NativeTreeSelection(HWND tree) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

bool NativeTreeSelect(HWND tree, HTREEITEM item) {
  return SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0;
}

bool NativeTreeExpand(HWND tree, HTREEITEM item, bool expand) {
  return SendMessageW(tree, TVM_EXPAND, expand ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(item)) != 0;
}

bool NativeTreeIsExpanded(HWND tree, HTREEITEM item) {
  return (SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void NativeTreeSetHasChildren(HWND tree, HTREEITEM item, bool has_children) {
  TVITEMW t = {};
  t.mask = TVIF_CHILDREN | TVIF_HANDLE;
  t.hItem = item;
  t.cChildren = has_children ? 1 : 0;
  SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&t));
}

void NativeTreeClear(HWND tree) { SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)); }

HTREEITEM NativeTreeItemToPopulate(const NMHDR* header) {
  if (!header || header->code != TVN_ITEMEXPANDINGW) return nullptr;
  const auto* n = reinterpret_cast<const NMTREEVIEWW*>(header);
  // The low two bits are the action; mingw's headers lack the mask's name.
  if ((n->action & 0x0003u) != TVE_EXPAND) return nullptr;
  HTREEITEM item = n->itemNew.hItem;
  return NativeTreeFirstChild(header->hwndFrom, item) ? nullptr : item;
}

HIMAGELIST NativeImageListCreate(int width, int height) {
  return ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 8, 8);
}

int NativeImageListAdd(HIMAGELIST images, HICON icon) {
  return images && icon ? ImageList_ReplaceIcon(images, -1, icon) : -1;
}

void NativeTreeSetImages(HWND tree, HIMAGELIST images) {
  SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
}

void NativeListViewSetImages(HWND list, HIMAGELIST images) {
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
}

int NativeMessageBox(HWND owner, const wchar_t* title, const wchar_t* text, UINT flags) {
  return MessageBoxW(owner, text ? text : L"", title ? title : L"", flags);
}

}  // namespace ui::win32

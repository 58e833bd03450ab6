// The common controls the widgets are made of, the shared font, icons, the message box, the
// drive-not-ready prompt and the system's drives and documents folder.
//
// Rectangles are device pixels (the caller scales). Item positions of -1 mean "at the end".
// Every text is UTF-16.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ui::win32 {

struct NativeRect {
  int x;
  int y;
  int width;
  int height;
};

// Loads the common controls (list view, tree view, standard classes). Returns false when the
// library refuses.
bool NativeInitControls();

// Any child control of a registered or system class; `flags` are the platform's own style bits
// added to child, visible and tab stop. Null when the system refuses.
HWND NativeControlCreate(const wchar_t* class_name, DWORD ex_style, DWORD flags, HWND parent, const NativeRect& rect,
                         int id, const wchar_t* text);
void NativeControlDestroy(HWND control);
std::wstring NativeWindowText(HWND window);

// The system's message font at a density, or the default GUI font when the query fails. The
// caller owns it (DeleteObject), except for the stock fallback, which deleting leaves alone.
HFONT NativeMessageFont(UINT dpi);
void NativeSetFont(HWND control, HFONT font);

// A line of text that takes no focus and no input; what does not fit is cut in its middle.
HWND NativeLabelCreate(HWND parent, const NativeRect& rect, int id);

// Push button: the caption is kept exactly as given, spaces included.
HWND NativeButtonCreate(HWND parent, const NativeRect& rect, int id, const wchar_t* caption, DWORD flags);

// List box: one column, notifications on (LBN_SELCHANGE arrives as WM_COMMAND).
HWND NativeListBoxCreate(HWND parent, const NativeRect& rect, int id, DWORD flags);
int NativeListBoxAdd(HWND list, int position, const wchar_t* text);  // index, -1 on failure
void NativeListBoxClear(HWND list);
int NativeListBoxCount(HWND list);
int NativeListBoxSelection(HWND list);                 // -1 when none
void NativeListBoxSelect(HWND list, int index);        // -1 clears
std::wstring NativeListBoxText(HWND list, int index);  // "" when no such item

// List view in report mode with full-row selection; `flags` are added to the style.
HWND NativeListViewCreate(HWND parent, const NativeRect& rect, int id, DWORD flags);
bool NativeListViewAddColumn(HWND list, int position, const wchar_t* title, int width);
int NativeListViewColumnCount(HWND list);
// A row whose cells are `cells` in column order; returns its index, -1 on failure.
int NativeListViewAddRow(HWND list, int position, const std::vector<std::wstring>& cells, int image);
int NativeListViewCount(HWND list);
void NativeListViewClear(HWND list);
int NativeListViewSelection(HWND list);  // first selected row, -1 when none
void NativeListViewSelect(HWND list, int row, bool selected);
std::wstring NativeListViewText(HWND list, int row, int column);  // "" when no such cell

// Tree view with buttons, lines and lines at the root.
HWND NativeTreeViewCreate(HWND parent, const NativeRect& rect, int id, DWORD flags);
struct NativeTreeItemRecord {
  HTREEITEM parent;  // null: a root item
  HTREEITEM after;   // null: last
  const wchar_t* text;
  int image;  // -1: none
  LPARAM data;
  bool may_have_children;  // shows the button before its children are known
};
HTREEITEM NativeTreeAdd(HWND tree, const NativeTreeItemRecord& wanted);
LPARAM NativeTreeData(HWND tree, HTREEITEM item);
std::wstring NativeTreeText(HWND tree, HTREEITEM item);
HTREEITEM NativeTreeFirstChild(HWND tree, HTREEITEM item);
HTREEITEM NativeTreeNextSibling(HWND tree, HTREEITEM item);
HTREEITEM NativeTreeSelection(HWND tree);
bool NativeTreeSelect(HWND tree, HTREEITEM item);
bool NativeTreeExpand(HWND tree, HTREEITEM item, bool expand);
bool NativeTreeIsExpanded(HWND tree, HTREEITEM item);
// After a population found nothing: the item loses its button.
void NativeTreeSetHasChildren(HWND tree, HTREEITEM item, bool has_children);
void NativeTreeClear(HWND tree);
// For a WM_NOTIFY from a tree: the item about to be expanded (TVN_ITEMEXPANDING with
// TVE_EXPAND) whose children are not known yet, i.e. it has none. Null otherwise.
HTREEITEM NativeTreeItemToPopulate(const NMHDR* header);

// Image lists of small icons for tree and list views.
HIMAGELIST NativeImageListCreate(int width, int height);
int NativeImageListAdd(HIMAGELIST images, HICON icon);  // index, -1 on failure
void NativeTreeSetImages(HWND tree, HIMAGELIST images);
void NativeListViewSetImages(HWND list, HIMAGELIST images);
// The shell's small icon for a file or folder path, the stock icon (SIID_*) otherwise. The
// caller destroys it (DestroyIcon). Null when there is none.
HICON NativeShellIcon(const wchar_t* path);
HICON NativeStockIcon(int stock_id);

// MessageBoxW with the flags passed through; the answer is the button id (IDOK = 1), 0 on failure.
int NativeMessageBox(HWND owner, const wchar_t* title, const wchar_t* text, UINT flags);

// The non-modal "drive not ready" prompt: the drive's icon, a text naming the drive, Cancel.
// Cancel or the close box calls `cancelled` once and destroys the prompt.
struct NativeDrivePromptCallbacks {
  void (*Cancelled)(void* context, HWND prompt);
};
HWND NativeDrivePromptOpen(HWND owner, const wchar_t* drive_text, HICON icon,
                           const NativeDrivePromptCallbacks* callbacks, void* context);
// The command id of the prompt's Cancel button (IDCANCEL).
constexpr int kDrivePromptCancel = IDCANCEL;

// The drives GetLogicalDrives names, in letter order.
struct NativeDriveRecord {
  wchar_t letter;      // 'A' to 'Z'
  UINT type;           // DRIVE_FIXED, DRIVE_REMOVABLE, ...
  bool ready;          // the volume answered (a medium is present)
  std::wstring label;  // the volume label, "" when none or not ready
};
std::vector<NativeDriveRecord> NativeDrives();
// The user's documents folder, "" when the system has none.
std::wstring NativeDocumentsFolder();

}  // namespace ui::win32

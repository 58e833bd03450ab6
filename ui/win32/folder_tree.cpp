// The folder tree on the system's tree view: the computer, its drive letters, the documents folder and
// below them folders and files listed on first expansion (TVN_ITEMEXPANDINGW). The tree's notifications
// reach the kind through the parent window (Win32Message::from_parent).
#include "ui/folder_tree.h"

#include <windows.h>

#include <dbt.h>
#include <shlobj.h>
#include <shellapi.h>

#include <algorithm>
#include <map>

#include "ui/event_queue.h"
#include "ui/win32/native_controls.h"
#include "ui/win32/native_window.h"
#include "ui/win32/win32_ui.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace ui {

namespace {

constexpr uint32_t kDriveLetters = 26;
constexpr UINT_PTR kDeviceWatchId = 0x5644;  // "VD"
// Posted to the tree after NM_CLICK, so that the click is reported after the selection it causes.
constexpr UINT kReportLeftClick = WM_APP + 0x46;

struct FolderTreeRecord {
  HWND tree = nullptr;
  runtime::ObjectNumber number = 0;
  uint32_t flags = 0;
  Text pattern = u"*.*";
  HTREEITEM root = nullptr;
  HWND prompt = nullptr;
  int prompt_drive = -1;
  HICON prompt_icon = nullptr;
  int64_t colours[3] = {-1, -1, -1};  // text, background, lines
  bool rebuilding = false;            // item deletions of a rebuild report no selection change
};

struct DriveSlot {
  bool present = false;
  Text label;
};

// Values shared by every tree, set up when the first one is created.
struct TreeLibrary {
  HIMAGELIST images = nullptr;  // the system's small icons; never destroyed here
  int folder_icon = 0;
  int computer_icon = 0;
  Text computer_name = u"My Computer";
  bool documents_usable = false;
  Text documents_path;  // ends in "\"
  Text documents_name = u"My Documents";
  int documents_icon = 0;
  DriveSlot drives[kDriveLetters];
  std::map<Text, int> file_icons;  // by IconCacheKey
  std::vector<FolderTreeRecord*> trees;
  HWND watched = nullptr;  // the top-level window whose device changes are followed
};

TreeLibrary* g_library = nullptr;
MountTableReader g_mount_reader = nullptr;
VolumeSpaceQuery g_space_query = nullptr;

Text DriveRoot(uint32_t drive) { return Text{static_cast<char16_t>(u'A' + drive), u':', u'\\'}; }

// The drive index a reader's entry names: "C:\", "C:" or "c:\".
int DriveIndexOf(TextView mount_point) {
  if (mount_point.size() < 2 || mount_point.size() > 3 || mount_point[1] != u':') return -1;
  if (mount_point.size() == 3 && mount_point[2] != u'\\' && mount_point[2] != u'/') return -1;
  const char16_t letter = mount_point[0] >= u'a' && mount_point[0] <= u'z' ? mount_point[0] - 32 : mount_point[0];
  return letter >= u'A' && letter <= u'Z' ? letter - u'A' : -1;
}

std::vector<MountEntry> ReadSystemDrives() {
  std::vector<MountEntry> entries;
  for (const win32::NativeDriveRecord& d : win32::NativeDrives()) {
    entries.push_back({Text{static_cast<char16_t>(d.letter), u':', u'\\'}, Text(), Text(), TextFromWide(d.label)});
  }
  return entries;
}

int SystemSpaceQuery(TextView root) {
  // A drive without a medium must answer "not ready", not ask the user to insert one.
  const UINT old_mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  DWORD sectors = 0, bytes = 0, free_clusters = 0, clusters = 0;
  const std::wstring path = WideFromText(root);
  const BOOL ok = GetDiskFreeSpaceW(path.c_str(), &sectors, &bytes, &free_clusters, &clusters);
  const DWORD error = ok ? 0 : GetLastError();
  SetErrorMode(old_mode);
  return ok ? 0 : static_cast<int>(error != 0 ? error : ERROR_GEN_FAILURE);
}

std::vector<MountEntry> ReadDrives() { return g_mount_reader ? g_mount_reader() : ReadSystemDrives(); }
int QueryVolumeSpace(TextView root) { return g_space_query ? g_space_query(root) : SystemSpaceQuery(root); }

// Reads the drives again. Bit n of the result's masks stands for drive letter n.
DriveChange UpdateDrives(TreeLibrary* lib) {
  DriveSlot now[kDriveLetters];
  for (const MountEntry& e : ReadDrives()) {
    const int index = DriveIndexOf(e.mount_point);
    if (index >= 0) now[index] = {true, e.label};
  }
  DriveChange change;
  for (uint32_t d = 0; d < kDriveLetters; ++d) {
    if (now[d].present != lib->drives[d].present)
      (now[d].present ? change.arrived : change.removed) |= uint64_t{1} << d;
    lib->drives[d] = now[d];
  }
  return change;
}

int ShellIconIndex(const wchar_t* path, DWORD attributes, UINT extra) {
  SHFILEINFOW info = {};
  if (!SHGetFileInfoW(path, attributes, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extra)) return -1;
  return info.iIcon;
}

// Icon and display name of a special folder; false when the shell has none.
bool SpecialFolder(int csidl, int* icon, Text* name, Text* path) {
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) || !list) return false;
  SHFILEINFOW info = {};
  const bool found = SHGetFileInfoW(reinterpret_cast<const wchar_t*>(list), 0, &info, sizeof info,
                                    SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_DISPLAYNAME) != 0;
  if (found) {
    *icon = info.iIcon;
    if (info.szDisplayName[0]) *name = TextFromWide(info.szDisplayName);
  }
  wchar_t buffer[MAX_PATH] = {};
  if (path) *path = SHGetPathFromIDListW(list, buffer) ? TextFromWide(buffer) : Text();
  CoTaskMemFree(list);
  return found;
}

TreeLibrary* Library() {
  if (g_library) return g_library;
  auto* lib = new TreeLibrary;
  wchar_t windows[MAX_PATH + 1] = {};
  GetWindowsDirectoryW(windows, MAX_PATH + 1);
  SHFILEINFOW info = {};
  lib->images = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(windows, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  lib->folder_icon = info.iIcon;
  lib->computer_icon = lib->folder_icon;
  SpecialFolder(CSIDL_DRIVES, &lib->computer_icon, &lib->computer_name, nullptr);
  Text documents;
  lib->documents_icon = lib->folder_icon;
  if (SpecialFolder(CSIDL_PERSONAL, &lib->documents_icon, &lib->documents_name, &documents) && !documents.empty()) {
    if (documents.back() != u'\\') documents += u'\\';
    lib->documents_path = documents;
    lib->documents_usable = PathFits(documents);
  }
  UpdateDrives(lib);
  g_library = lib;
  return lib;
}

Text DriveTypeName(uint32_t drive) {
  switch (GetDriveTypeW(WideFromText(DriveRoot(drive)).c_str())) {
    case DRIVE_FIXED: return u"Local Disk";
    case DRIVE_REMOVABLE: return u"Removable Disk";
    case DRIVE_CDROM: return u"CD Drive";
    case DRIVE_REMOTE: return u"Network Drive";
    case DRIVE_RAMDISK: return u"RAM Disk";
    default: return u"Drive";
  }
}

// The volume label (or the kind of drive) with the letter, as the shell names a drive.
Text DriveDisplayName(const TreeLibrary* lib, uint32_t drive) {
  const Text& label = lib->drives[drive].label;
  return runtime::TextConcat(
      {label.empty() ? DriveTypeName(drive) : label, u" (", Text{static_cast<char16_t>(u'A' + drive), u':'}, u")"});
}

int DriveIcon(const TreeLibrary* lib, uint32_t drive) {
  const int icon = ShellIconIndex(WideFromText(DriveRoot(drive)).c_str(), 0, 0);
  return icon >= 0 ? icon : lib->folder_icon;
}

int FileIcon(TreeLibrary* lib, TextView folder_path, TextView name) {
  const std::optional<Text> key = IconCacheKey(name);
  if (key) {
    if (auto it = lib->file_icons.find(*key); it != lib->file_icons.end()) return it->second;
  }
  // Icons that differ from file to file are asked for by the file itself, the others by name only.
  const std::wstring path = WideFromText(runtime::TextConcat({folder_path, name}));
  int icon = key ? ShellIconIndex(path.c_str(), FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES)
                 : ShellIconIndex(path.c_str(), 0, 0);
  if (icon < 0) icon = lib->folder_icon;
  if (key) lib->file_icons.emplace(*key, icon);
  return icon;
}

uint32_t TagOf(HWND tree, HTREEITEM item) { return static_cast<uint32_t>(win32::NativeTreeData(tree, item)); }

void SetTag(HWND tree, HTREEITEM item, uint32_t tag) {
  TVITEMW t = {};
  t.mask = TVIF_PARAM | TVIF_HANDLE;
  t.hItem = item;
  t.lParam = tag;
  SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&t));
}

HTREEITEM ParentOf(HWND tree, HTREEITEM item) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
}

Text NameOf(HWND tree, HTREEITEM item) { return TextFromWide(win32::NativeTreeText(tree, item)); }

Text ItemPath(HWND tree, HTREEITEM item) {
  const TreeLibrary* lib = Library();
  Text path;
  for (; item; item = ParentOf(tree, item)) {
    const uint32_t tag = TagOf(tree, item);
    const Text drive_path = TagIsDrive(tag) ? DriveRoot(TagKind(tag) % kDriveLetters) : Text();
    if (!PrependItemPath(&path, tag, NameOf(tree, item), drive_path, lib->documents_path)) break;
  }
  return path;
}

FolderTreeRecord* RecordOf(WidgetRecord* w) { return static_cast<FolderTreeRecord*>(w->kind_data); }

// Pre-order over every item the control holds, children counted whether shown or not.
HTREEITEM NextInPreOrder(HWND tree, HTREEITEM item) {
  if (HTREEITEM child = win32::NativeTreeFirstChild(tree, item)) return child;
  for (; item; item = ParentOf(tree, item)) {
    if (HTREEITEM next = win32::NativeTreeNextSibling(tree, item)) return next;
  }
  return nullptr;
}

int64_t PreOrderPosition(HWND tree, HTREEITEM target) {
  int64_t position = 0;
  for (HTREEITEM i = win32::NativeTreeFirstChild(tree, nullptr); i; i = NextInPreOrder(tree, i), ++position) {
    if (i == target) return position;
  }
  return -1;
}

HTREEITEM AddItem(HWND tree, HTREEITEM parent, TextView text, int icon, uint32_t tag, bool may_have_children) {
  const std::wstring wide = WideFromText(text);
  return win32::NativeTreeAdd(tree, {parent, nullptr, wide.c_str(), icon, static_cast<LPARAM>(tag), may_have_children});
}

// Gives the drive item its name, icon and tag afresh, unpopulated and closed.
void ResetDriveItem(const TreeLibrary* lib, HWND tree, HTREEITEM item, uint32_t drive) {
  const std::wstring name = WideFromText(DriveDisplayName(lib, drive));
  TVITEMW t = {};
  t.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN | TVIF_STATE;
  t.hItem = item;
  t.pszText = const_cast<wchar_t*>(name.c_str());
  t.iImage = t.iSelectedImage = DriveIcon(lib, drive);
  t.lParam = drive;
  t.cChildren = 1;
  t.stateMask = TVIS_EXPANDED | TVIS_EXPANDEDONCE;
  t.state = 0;
  SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&t));
}

// Closes the drive-not-ready prompt and gives the tree back to the user.
void ForgetPrompt(FolderTreeRecord* r) {
  r->prompt = nullptr;
  r->prompt_drive = -1;
  if (r->prompt_icon) DestroyIcon(r->prompt_icon);
  r->prompt_icon = nullptr;
  if (r->tree && IsWindow(r->tree)) EnableWindow(r->tree, TRUE);
}

void ClosePrompt(FolderTreeRecord* r) {
  HWND prompt = r->prompt;
  ForgetPrompt(r);
  if (prompt && IsWindow(prompt)) DestroyWindow(prompt);
}

void PromptCancelled(void* context, HWND prompt) {
  auto* r = static_cast<FolderTreeRecord*>(context);
  if (r->prompt == prompt) ForgetPrompt(r);
}

const win32::NativeDrivePromptCallbacks kPromptCallbacks = {PromptCancelled};

void OpenPrompt(FolderTreeRecord* r, uint32_t drive) {
  ClosePrompt(r);
  TreeLibrary* lib = Library();
  const Text letter{static_cast<char16_t>(u'A' + drive), u':'};
  const Text text =
      runtime::TextConcat({u"There is no medium in the drive ", letter, u". Insert one into the drive and try again."});
  HICON icon = lib->images ? ImageList_GetIcon(lib->images, DriveIcon(lib, drive), ILD_NORMAL) : nullptr;
  HWND owner = lib->watched ? lib->watched : GetAncestor(r->tree, GA_ROOT);
  HWND prompt = win32::NativeDrivePromptOpen(owner, WideFromText(text).c_str(), icon, &kPromptCallbacks, r);
  if (!prompt) {
    if (icon) DestroyIcon(icon);
    return;
  }
  r->prompt = prompt;
  r->prompt_drive = static_cast<int>(drive);
  r->prompt_icon = icon;
  EnableWindow(r->tree, FALSE);
}

// Lists the item's children on its first expansion. False when the expansion must not go on: a drive
// that did not answer stays unpopulated, so the next expansion asks again.
bool Populate(FolderTreeRecord* r, HTREEITEM item) {
  HWND tree = r->tree;
  const uint32_t tag = TagOf(tree, item);
  if (TagIsPopulated(tag)) return true;
  TreeLibrary* lib = Library();
  if (TagIsDrive(tag)) {
    const uint32_t drive = TagKind(tag);
    const int error =
        drive < kDriveLetters && lib->drives[drive].present ? QueryVolumeSpace(DriveRoot(drive)) : ERROR_PATH_NOT_FOUND;
    if (error != 0) {
      if (error == ERROR_NOT_READY && !(r->flags & kTreeNoDrivePrompt)) OpenPrompt(r, drive);
      return false;
    }
  }
  const Text path = ItemPath(tree, item);
  if (path.empty() || !PathFits(path)) return false;
  const bool folders_only = r->flags & kTreeFoldersOnly;
  const FolderListing listing = ListFolderChildren(path, folders_only ? std::vector<Text>{} : SplitPatterns(r->pattern),
                                                   folders_only, r->flags & kTreeSorted);
  for (const ListedFolder& f : listing.folders)
    AddItem(tree, item, f.name, lib->folder_icon, kTagFolder, f.has_children);
  for (const Text& name : listing.files) AddItem(tree, item, name, FileIcon(lib, path, name), kTagFile, false);
  if (listing.folders.empty() && listing.files.empty()) win32::NativeTreeSetHasChildren(tree, item, false);
  SetTag(tree, item, tag | kTagPopulated);
  return true;
}

void Rebuild(FolderTreeRecord* r) {
  const TreeLibrary* lib = Library();
  r->rebuilding = true;
  win32::NativeTreeClear(r->tree);
  r->root = nullptr;
  r->rebuilding = false;
  HTREEITEM root = AddItem(r->tree, nullptr, lib->computer_name, lib->computer_icon, kTagComputer, true);
  for (uint32_t d = 0; d < kDriveLetters; ++d) {
    if (lib->drives[d].present) AddItem(r->tree, root, DriveDisplayName(lib, d), DriveIcon(lib, d), d, true);
  }
  if (lib->documents_usable && !(r->flags & kTreeNoHome)) {
    AddItem(r->tree, root, lib->documents_name, lib->documents_icon, kTagHome, true);
  }
  r->root = root;
  win32::NativeTreeExpand(r->tree, root, true);
}

HTREEITEM FindDriveItem(const FolderTreeRecord* r, uint32_t drive) {
  if (!r->root) return nullptr;
  for (HTREEITEM c = win32::NativeTreeFirstChild(r->tree, r->root); c; c = win32::NativeTreeNextSibling(r->tree, c)) {
    const uint32_t tag = TagOf(r->tree, c);
    if (TagIsDrive(tag) && TagKind(tag) == drive) return c;
  }
  return nullptr;
}

std::vector<Text> PresentDriveRoots(const TreeLibrary* lib) {
  std::vector<Text> roots(kDriveLetters);
  for (uint32_t d = 0; d < kDriveLetters; ++d) {
    if (lib->drives[d].present) roots[d] = DriveRoot(d);
  }
  return roots;
}

// Opens the path level by level and selects its last item; stops without selecting at the first
// level that is not there. The drive letter is taken in upper case and "/" as "\".
bool SelectPath(FolderTreeRecord* r, TextView wanted) {
  Text path(wanted);
  if (path.empty()) return false;
  if (path[0] >= u'a' && path[0] <= u'z') path[0] = static_cast<char16_t>(path[0] - 32);
  std::replace(path.begin(), path.end(), u'/', u'\\');
  uint32_t drive = 0;
  std::vector<Text> names;
  if (!SplitSelectPath(path, PresentDriveRoots(Library()), &drive, &names)) return false;
  HTREEITEM node = FindDriveItem(r, drive);
  if (!node) return false;
  win32::NativeTreeExpand(r->tree, node, true);
  for (const Text& name : names) {
    std::vector<Text> candidates;
    std::vector<HTREEITEM> folders;
    for (HTREEITEM c = win32::NativeTreeFirstChild(r->tree, node); c; c = win32::NativeTreeNextSibling(r->tree, c)) {
      if (TagKind(TagOf(r->tree, c)) != kTagFolder) continue;
      candidates.push_back(NameOf(r->tree, c));
      folders.push_back(c);
    }
    const int match = FindNameMatch(candidates, name);
    if (match < 0) return false;
    node = folders[static_cast<size_t>(match)];
    win32::NativeTreeExpand(r->tree, node, true);
  }
  SendMessageW(r->tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(node));
  win32::NativeTreeSelect(r->tree, node);
  return true;
}

// The item under the mouse, from the position of the message being handled.
HTREEITEM ItemUnderMouse(HWND tree) {
  const DWORD at = GetMessagePos();
  TVHITTESTINFO hit = {};
  hit.pt = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  ScreenToClient(tree, &hit.pt);
  const auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return item && (hit.flags & TVHT_ONITEM) ? item : nullptr;
}

bool OnParentNotify(FolderTreeRecord* r, const NMHDR* h, LRESULT* result) {
  switch (h->code) {
    case NM_CLICK: PostMessageW(r->tree, kReportLeftClick, 0, 0); return false;
    case NM_RCLICK: {
      // Selected first, so that whoever reads the tree on the click finds the item clicked.
      HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(r->tree, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0));
      if (!item) item = ItemUnderMouse(r->tree);
      if (item && item != win32::NativeTreeSelection(r->tree)) win32::NativeTreeSelect(r->tree, item);
      PostWidgetEvent(r->tree, WidgetEventRightClick);
      return false;
    }
    case NM_DBLCLK: PostWidgetEvent(r->tree, WidgetEventDoubleClick); return false;
    case TVN_SELCHANGEDW:
      if (!r->rebuilding) PostWidgetEvent(r->tree, WidgetEventChange);
      return false;
    case TVN_BEGINDRAGW: {
      HTREEITEM item = reinterpret_cast<const NMTREEVIEWW*>(h)->itemNew.hItem;
      win32::NativeTreeSelect(r->tree, item);
      Win32SetDraggedItems(r->tree, {PreOrderPosition(r->tree, item)});
      PostWidgetEvent(r->tree, WidgetEventDragStart);
      return false;
    }
    case TVN_ITEMEXPANDINGW: {
      const auto* n = reinterpret_cast<const NMTREEVIEWW*>(h);
      if ((n->action & 0x0003u) != TVE_EXPAND || Populate(r, n->itemNew.hItem)) return false;
      *result = TRUE;  // not listed: the item stays closed
      return true;
    }
    default: return false;
  }
}

// Kind operations.

int64_t TreeNotify(WidgetRecord* w, void* /*target*/, void* event) {
  FolderTreeRecord* r = RecordOf(w);
  auto* m = static_cast<Win32Message*>(event);
  if (!r || !m) return kNotHandled;
  if (m->from_parent) {
    const NMHDR* h = ParentNotifyFrom(m, r->tree);
    return h != nullptr && OnParentNotify(r, h, &m->result) ? 1 : kNotHandled;
  }
  if (m->message == kReportLeftClick) {
    PostWidgetEvent(r->tree, WidgetEventLeftClick);
    return 1;
  }
  if (m->message == WM_RBUTTONDBLCLK) PostWidgetEvent(r->tree, WidgetEventRightDoubleClick);
  return kNotHandled;
}

void TreeRelease(WidgetRecord* w) {
  FolderTreeRecord* r = RecordOf(w);
  if (!r) return;
  r->tree = nullptr;  // gone already
  ClosePrompt(r);
  if (g_library) {
    auto& trees = g_library->trees;
    trees.erase(std::remove(trees.begin(), trees.end(), r), trees.end());
  }
  delete r;
  w->kind_data = nullptr;
}

int64_t TreeGetState(WidgetRecord* w) {
  FolderTreeRecord* r = RecordOf(w);
  HTREEITEM item = r ? win32::NativeTreeSelection(r->tree) : nullptr;
  if (!item) return 0;
  return TagKind(TagOf(r->tree, item)) == kTagFile ? 1 : 2;
}

Text TreeGetText(WidgetRecord* w) {
  FolderTreeRecord* r = RecordOf(w);
  HTREEITEM item = r ? win32::NativeTreeSelection(r->tree) : nullptr;
  return item ? ItemPath(r->tree, item) : Text();
}

void TreeSetText(WidgetRecord* w, TextView text) {
  FolderTreeRecord* r = RecordOf(w);
  if (!r) return;
  ClosePrompt(r);
  const TreeTextPlan plan = PlanTreeText(text);
  switch (plan.action) {
    case TreeTextAction::Refuse: return;
    case TreeTextAction::Rebuild: Rebuild(r); return;
    case TreeTextAction::PatternKeepSelection: {
      HTREEITEM selected = win32::NativeTreeSelection(r->tree);
      const Text previous = selected ? ItemPath(r->tree, selected) : Text();
      r->pattern = plan.pattern;
      Rebuild(r);
      if (!previous.empty()) SelectPath(r, previous);
      return;
    }
    case TreeTextAction::Select: SelectPath(r, plan.select_path); return;
    case TreeTextAction::SelectWithPattern:
      r->pattern = plan.pattern;
      Rebuild(r);
      SelectPath(r, plan.select_path);
      return;
  }
}

Text TreeGetItemText(WidgetRecord* w, int64_t item, int64_t /*column*/) {
  FolderTreeRecord* r = RecordOf(w);
  if (!r || item < 0) return Text();
  int64_t position = 0;
  for (HTREEITEM i = win32::NativeTreeFirstChild(r->tree, nullptr); i; i = NextInPreOrder(r->tree, i), ++position) {
    if (position == item) return ItemPath(r->tree, i);
  }
  return Text();
}

void TreeSetColour(WidgetRecord* w, int64_t which, int64_t colour) {
  FolderTreeRecord* r = RecordOf(w);
  if (!r || which < kTreeColourText || which > kTreeColourLines) return;
  if (colour < 0) colour = -1;
  r->colours[which - 1] = colour;
  const UINT message = which == kTreeColourText         ? TVM_SETTEXTCOLOR
                       : which == kTreeColourBackground ? TVM_SETBKCOLOR
                                                        : TVM_SETLINECOLOR;
  SendMessageW(r->tree, message, 0, colour < 0 ? static_cast<LPARAM>(CLR_DEFAULT) : static_cast<LPARAM>(colour));
}

int64_t TreeGetColour(WidgetRecord* w, int64_t which) {
  FolderTreeRecord* r = RecordOf(w);
  if (!r || which < kTreeColourText || which > kTreeColourLines) return 0;
  return r->colours[which - 1];
}

const WidgetKindOps* TreeOps() {
  static WidgetKindOps ops = [] {
    WidgetKindOps o{};
    o.kind = WidgetKindFolderTree;
    o.size = sizeof(WidgetKindOps);
    o.notify = TreeNotify;
    o.release = TreeRelease;
    o.get_state = TreeGetState;
    o.get_text = TreeGetText;
    o.set_text = TreeSetText;
    o.get_item_text = TreeGetItemText;
    o.set_colour = TreeSetColour;
    o.get_colour = TreeGetColour;
    return o;
  }();
  return &ops;
}

void ApplyDriveChange(const DriveChange& change) {
  TreeLibrary* lib = Library();
  const uint64_t changed = change.arrived | change.removed;
  for (FolderTreeRecord* r : lib->trees) {
    if (!r->root) continue;
    if (r->prompt_drive >= 0 && ((changed >> r->prompt_drive) & 1)) ClosePrompt(r);
    for (HTREEITEM item = win32::NativeTreeFirstChild(r->tree, r->root); item;) {
      HTREEITEM next = win32::NativeTreeNextSibling(r->tree, item);
      const uint32_t tag = TagOf(r->tree, item);
      const uint32_t drive = TagKind(tag);
      if (TagIsDrive(tag) && (drive >= kDriveLetters || !lib->drives[drive].present)) {
        SendMessageW(r->tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
      } else if (TagIsDrive(tag) && ((changed >> drive) & 1)) {
        // Same letter, another medium or the same one again: start over unpopulated.
        win32::NativeTreeExpand(r->tree, item, false);
        while (HTREEITEM child = win32::NativeTreeFirstChild(r->tree, item)) {
          SendMessageW(r->tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(child));
        }
        ResetDriveItem(lib, r->tree, item, drive);
      }
      item = next;
    }
    for (uint32_t d = 0; d < kDriveLetters; ++d) {
      if (lib->drives[d].present && !FindDriveItem(r, d))
        AddItem(r->tree, r->root, DriveDisplayName(lib, d), DriveIcon(lib, d), d, true);
    }
  }
}

// Reads the drives again; `arrived` and `removed` name drives the system reported as changed although
// their letters may have stayed (a medium put in or taken out).
void DrivesChanged(uint64_t arrived, uint64_t removed) {
  TreeLibrary* lib = Library();
  DriveChange change = UpdateDrives(lib);
  change.arrived |= arrived;
  change.removed |= removed;
  if (change.arrived || change.removed) ApplyDriveChange(change);
}

LRESULT CALLBACK DeviceWatch(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
  if (message == WM_DEVICECHANGE && (wparam == DBT_DEVICEARRIVAL || wparam == DBT_DEVICEREMOVECOMPLETE)) {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lparam);
    if (header && header->dbch_devicetype == DBT_DEVTYP_VOLUME) {
      const uint64_t units = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(lparam)->dbcv_unitmask;
      DrivesChanged(wparam == DBT_DEVICEARRIVAL ? units : 0, wparam == DBT_DEVICEARRIVAL ? 0 : units);
    }
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, DeviceWatch, kDeviceWatchId);
    if (g_library && g_library->watched == window) g_library->watched = nullptr;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

void WatchDevices(TreeLibrary* lib, HWND container) {
  if (lib->watched) return;
  HWND top = GetAncestor(container, GA_ROOT);
  if (top && SetWindowSubclass(top, DeviceWatch, kDeviceWatchId, 0)) lib->watched = top;
}

}  // namespace

void SetMountTableReader(MountTableReader reader) { g_mount_reader = reader; }
void SetVolumeSpaceQuery(VolumeSpaceQuery query) { g_space_query = query; }

void FolderTreeMountsChanged() {
  if (!Win32ToolkitStarted()) return;
  DrivesChanged(0, 0);
}

int64_t FolderTreeCreate(runtime::ObjectNumber number, int32_t x, int32_t y, int32_t width, int32_t height,
                         runtime::TextView path, uint32_t flags) {
  HWND container = Win32Container();
  if (!container || !Win32ToolkitStarted()) return 0;
  TreeLibrary* lib = Library();
  WatchDevices(lib, container);
  WidgetRecord* w = AcquireWidget(number);
  if (!w) return 0;
  const ScaledRect rect = ScaleRect(x, y, width, height);
  DWORD style = 0;
  if (!(flags & kTreeNoButtons)) style |= TVS_HASBUTTONS | TVS_LINESATROOT;
  if (!(flags & kTreeNoLines)) style |= TVS_HASLINES;
  if (flags & kTreeShowSelectionAlways) style |= TVS_SHOWSELALWAYS;
  HWND tree = win32::NativeControlCreate(WC_TREEVIEWW, (flags & kTreeNoEdge) ? 0 : WS_EX_CLIENTEDGE, style, container,
                                         {rect.x, rect.y, rect.width, rect.height}, 0, nullptr);
  auto* r = new FolderTreeRecord;
  r->tree = tree;
  r->flags = flags;
  w->kind_data = r;
  if (tree) {
    if (lib->images) win32::NativeTreeSetImages(tree, lib->images);
    SendMessageW(tree, TVM_SETEXTENDEDSTYLE, TVS_EX_DOUBLEBUFFER, TVS_EX_DOUBLEBUFFER);
  }
  const int64_t result = RegisterWidget(number, w, tree, TreeOps());
  if (result == 0) {
    delete r;  // the registration has already destroyed the control and given the record back
    return 0;
  }
  r->number = number == runtime::AnyId ? result : number;
  lib->trees.push_back(r);
  TreeSetText(w, u"");
  TreeSetText(w, path);
  return result;
}

}  // namespace ui

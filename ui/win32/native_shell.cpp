// Icons, drives and the documents folder from the shell.
#include <shlobj.h>
#include <shellapi.h>

#include "ui/win32/native_controls.h"

namespace ui::win32 {

HICON NativeShellIcon(const wchar_t* path) {
  SHFILEINFOW info = {};
  if (!path || !SHGetFileInfoW(path, 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON)) return nullptr;
  return info.hIcon;
}

HICON NativeStockIcon(int stock_id) {
  SHSTOCKICONINFO info = {};
  info.cbSize = sizeof info;
  if (SUCCEEDED(SHGetStockIconInfo(static_cast<SHSTOCKICONID>(stock_id), SHGSI_ICON | SHGSI_SMALLICON, &info)) &&
      info.hIcon) {
    return info.hIcon;
  }
  // Some systems (wine among them) answer for a stock icon without handing out the icon. The
  // system folder's own icon is a plain folder's, and every system has that folder.
  if (stock_id != SIID_FOLDER && stock_id != SIID_FOLDEROPEN) return nullptr;
  wchar_t folder[MAX_PATH + 1];
  const UINT length = GetWindowsDirectoryW(folder, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return nullptr;
  SHFILEINFOW file = {};
  const UINT open = stock_id == SIID_FOLDEROPEN ? SHGFI_OPENICON : 0;
  if (!SHGetFileInfoW(folder, 0, &file, sizeof file, SHGFI_ICON | SHGFI_SMALLICON | open)) return nullptr;
  return file.hIcon;
}

std::vector<NativeDriveRecord> NativeDrives() {
  std::vector<NativeDriveRecord> drives;
  const DWORD mask = GetLogicalDrives();
  // A drive without a medium must answer "not ready", not ask the user to insert one.
  const UINT old_mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', L'\0'};
    wchar_t label[MAX_PATH + 1] = {};
    const bool ready = GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) != 0;
    drives.push_back({root[0], GetDriveTypeW(root), ready, ready ? label : L""});
  }
  SetErrorMode(old_mode);
  return drives;
}

std::wstring NativeDocumentsFolder() {
  PWSTR path = nullptr;
  std::wstring folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path)) && path) folder = path;
  CoTaskMemFree(path);
  return folder;
}

}  // namespace ui::win32

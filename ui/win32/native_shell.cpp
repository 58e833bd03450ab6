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
  if (FAILED(SHGetStockIconInfo(static_cast<SHSTOCKICONID>(stock_id), SHGSI_ICON | SHGSI_SMALLICON, &info))) {
    return nullptr;
  }
  return info.hIcon;
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

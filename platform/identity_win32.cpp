#include "platform/identity.h"

#include <windows.h>

// A folder is known by its volume's serial number and its file index; the handle is opened without
// any access right, so that no other handle's share mode stands in the way.
namespace platform {

bool IdentityOf(const std::u16string& path, ObjectIdentity* identity) {
  if (path.empty() || path.find(u'\0') != std::u16string::npos) return false;
  HANDLE handle = ::CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = ::GetFileInformationByHandle(handle, &info);
  ::CloseHandle(handle);
  if (!known) return false;
  identity->device = info.dwVolumeSerialNumber;
  identity->inode = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return true;
}

}  // namespace platform

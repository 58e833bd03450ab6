#include "platform/file.h"

#include <windows.h>

#include <cerrno>

#include "platform/unicode.h"

// File handles are the system's: the open modes are CreateFileW's dispositions and "no sharing" is
// its share mode 0, which the system enforces against every other handle, in any process.
namespace platform {
namespace {

HANDLE Native(FileHandle file) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(file)); }

DWORD Disposition(FileMode mode) {
  switch (mode) {
    case FileMode::CreateAlways:
      return CREATE_ALWAYS;
    case FileMode::OpenAlways:
      return OPEN_ALWAYS;
    case FileMode::TruncateExisting:
      return TRUNCATE_EXISTING;
    default:
      return OPEN_EXISTING;
  }
}

// The callers read errno as on every other system.
int ErrnoFor(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EBUSY;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    default:
      return EIO;
  }
}

FileHandle Fail(DWORD error) {
  errno = ErrnoFor(error);
  return kInvalidFile;
}

// ReadFile and WriteFile take 32-bit counts.
constexpr int64_t kMaxTransfer = int64_t{1} << 30;

}  // namespace

std::string PathBytes(const std::u16string& path) { return Utf16ToUtf8(path); }

FileHandle FileOpenBytes(const std::string& path, const FileOpenOptions& options) {
  return FileOpen(Utf8ToUtf16(path), options);
}

FileHandle FileOpen(const std::u16string& path, const FileOpenOptions& options) {
  if (path.empty() || path.find(u'\0') != std::u16string::npos) return Fail(ERROR_FILE_NOT_FOUND);
  DWORD access = 0;
  if (options.access & AccessRead) access |= GENERIC_READ;
  if (options.access & AccessWrite) access |= GENERIC_WRITE;
  const DWORD share = options.share == FileShare::None ? 0 : FILE_SHARE_READ;
  HANDLE handle = ::CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), access, share, nullptr,
                                Disposition(options.mode), FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return Fail(::GetLastError());
  // "nul.png", "con.gif" and pipes open as devices that never end or never answer.
  if (options.regular_only && ::GetFileType(handle) != FILE_TYPE_DISK) {
    ::CloseHandle(handle);
    errno = EINVAL;
    return kInvalidFile;
  }
  return static_cast<FileHandle>(reinterpret_cast<intptr_t>(handle));
}

int64_t FileRead(FileHandle file, void* buffer, int64_t count) {
  if (count <= 0) return 0;
  DWORD moved = 0;
  const DWORD ask = static_cast<DWORD>(count < kMaxTransfer ? count : kMaxTransfer);
  if (!::ReadFile(Native(file), buffer, ask, &moved, nullptr)) {
    errno = ErrnoFor(::GetLastError());
    return -1;
  }
  return moved;
}

int64_t FileWrite(FileHandle file, const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  DWORD moved = 0;
  const DWORD ask = static_cast<DWORD>(count < kMaxTransfer ? count : kMaxTransfer);
  if (!::WriteFile(Native(file), buffer, ask, &moved, nullptr)) {
    errno = ErrnoFor(::GetLastError());
    return -1;
  }
  return moved;
}

int64_t FileSeek(FileHandle file, int64_t distance, SeekFrom from) {
  const DWORD method = from == SeekFrom::Begin ? FILE_BEGIN : from == SeekFrom::Current ? FILE_CURRENT : FILE_END;
  LARGE_INTEGER move, now;
  move.QuadPart = distance;
  if (!::SetFilePointerEx(Native(file), move, &now, method)) return -1;
  return now.QuadPart;
}

int64_t FileSize(FileHandle file) {
  LARGE_INTEGER size;
  return ::GetFileSizeEx(Native(file), &size) ? size.QuadPart : -1;
}

void FileClose(FileHandle file) {
  if (file != kInvalidFile && file != 0) ::CloseHandle(Native(file));
}

}  // namespace platform

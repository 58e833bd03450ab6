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
    case FileMode::CreateAlways: return CREATE_ALWAYS;
    case FileMode::OpenAlways: return OPEN_ALWAYS;
    case FileMode::TruncateExisting: return TRUNCATE_EXISTING;
    case FileMode::CreateNew: return CREATE_NEW;
    default: return OPEN_EXISTING;
  }
}

// The callers read errno as on every other system.
int ErrnoFor(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EBUSY;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH: return ENOENT;
    case ERROR_ACCESS_DENIED: return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    default: return EIO;
  }
}

FileHandle Fail(DWORD error) {
  errno = ErrnoFor(error);
  return kInvalidFile;
}

// ReadFile and WriteFile take 32-bit counts.
constexpr int64_t kMaxTransfer = int64_t{1} << 30;

// Bytes the tests' "disk" still takes; negative: no limit.
int64_t g_write_room = -1;

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
  // A reparse point (a symbolic link) is opened as itself and refused when links are not followed.
  const DWORD flags = FILE_ATTRIBUTE_NORMAL | (options.follow_links ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  HANDLE handle = ::CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), access, share, nullptr,
                                Disposition(options.mode), flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    // A folder refuses a file's access as "access denied"; callers tell a folder from a refusal as they
    // do elsewhere.
    const DWORD attributes = ::GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.c_str()));
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      errno = EISDIR;
      return kInvalidFile;
    }
    return Fail(error);
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!options.follow_links && ::GetFileInformationByHandle(handle, &info) &&
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    ::CloseHandle(handle);
    errno = ELOOP;
    return kInvalidFile;
  }
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
  if (g_write_room == 0) {
    errno = ENOSPC;
    return -1;
  }
  if (g_write_room > 0 && count > g_write_room) count = g_write_room;
  DWORD moved = 0;
  const DWORD ask = static_cast<DWORD>(count < kMaxTransfer ? count : kMaxTransfer);
  if (!::WriteFile(Native(file), buffer, ask, &moved, nullptr)) {
    errno = ErrnoFor(::GetLastError());
    return -1;
  }
  if (g_write_room > 0) g_write_room -= moved;
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

int FileSync(FileHandle file) { return ::FlushFileBuffers(Native(file)) ? 0 : ErrnoFor(::GetLastError()); }

int FileClose(FileHandle file) {
  if (file == kInvalidFile || file == 0) return EBADF;
  return ::CloseHandle(Native(file)) ? 0 : ErrnoFor(::GetLastError());
}

int FileRename(const std::u16string& from, const std::u16string& to) {
  const BOOL moved =
      ::MoveFileExW(reinterpret_cast<const wchar_t*>(from.c_str()), reinterpret_cast<const wchar_t*>(to.c_str()),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  return moved ? 0 : ErrnoFor(::GetLastError());
}

int FileRemove(const std::u16string& path) {
  return ::DeleteFileW(reinterpret_cast<const wchar_t*>(path.c_str())) ? 0 : ErrnoFor(::GetLastError());
}

bool FileIsReadOnly(FileHandle file) {
  BY_HANDLE_FILE_INFORMATION info;
  return ::GetFileInformationByHandle(Native(file), &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
}

int FileTakeAccessOf(FileHandle model, const std::u16string& path) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(Native(model), &info)) return ErrnoFor(::GetLastError());
  // What describes the file, not what the system keeps on it for itself.
  constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                          FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  DWORD attributes = info.dwFileAttributes & kKept;
  if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
  return ::SetFileAttributesW(reinterpret_cast<const wchar_t*>(path.c_str()), attributes) ? 0
                                                                                          : ErrnoFor(::GetLastError());
}

void FailWritesAfterForTesting(int64_t bytes) { g_write_room = bytes; }

}  // namespace platform

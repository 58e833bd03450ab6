#include "platform/file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>

#include "platform/unicode.h"

namespace platform {
namespace {

std::atomic<int64_t> g_write_budget{-1};  // bytes FileWrite may still move; negative: no limit

// A descriptor below 3 would alias a standard stream; move it up so that a handle is never 0.
int LiftDescriptor(int fd) {
  if (fd >= 3) return fd;
  const int lifted = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  const int error = errno;
  close(fd);
  errno = error;
  return lifted;
}

int OpenFlags(const FileOpenOptions& options) {
  int flags = O_CLOEXEC | O_NOCTTY;
  const bool read = options.access & AccessRead, write = options.access & AccessWrite;
  flags |= (read && write) ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  if (options.mode == FileMode::CreateAlways || options.mode == FileMode::OpenAlways) flags |= O_CREAT;
  if (options.mode == FileMode::CreateNew) flags |= O_CREAT | O_EXCL | O_NOFOLLOW;
  // Never O_TRUNC here: emptying waits until the lock is held, so a file that someone else holds
  // is refused without being damaged.
  if (options.regular_only) flags |= O_NONBLOCK;
  if (!options.follow_links) flags |= O_NOFOLLOW;
  return flags;
}

}  // namespace

std::string PathBytes(const std::u16string& path) { return Utf16ToUtf8(path); }

FileHandle FileOpen(const std::u16string& path, const FileOpenOptions& options) {
  return FileOpenBytes(PathBytes(path), options);
}

FileHandle FileOpenBytes(const std::string& path, const FileOpenOptions& options) {
  if (path.empty() || path.find('\0') != std::string::npos) {
    errno = ENOENT;
    return kInvalidFile;
  }
  int fd = open(path.c_str(), OpenFlags(options), 0666);
  if (fd < 0) return kInvalidFile;
  fd = LiftDescriptor(fd);
  if (fd < 0) return kInvalidFile;
  const auto fail = [fd](int error) {
    close(fd);
    errno = error;
    return kInvalidFile;
  };
  struct stat st;
  if (fstat(fd, &st) != 0) return fail(errno);
  if (S_ISDIR(st.st_mode)) return fail(EISDIR);
  if (options.regular_only) {
    if (!S_ISREG(st.st_mode)) return fail(EINVAL);
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return fail(errno);
  }
  const int lock = options.share == FileShare::None ? LOCK_EX : LOCK_SH;
  while (flock(fd, lock | LOCK_NB) != 0) {
    if (errno != EINTR) return fail(errno == EWOULDBLOCK ? EBUSY : errno);
  }
  const bool truncate = options.mode == FileMode::CreateAlways || options.mode == FileMode::TruncateExisting;
  if (truncate && S_ISREG(st.st_mode) && ftruncate(fd, 0) != 0) return fail(errno);
  return fd;
}

int64_t FileRead(FileHandle file, void* buffer, int64_t count) {
  if (count <= 0) return 0;
  ssize_t n;
  do {
    n = read(static_cast<int>(file), buffer, static_cast<size_t>(count));
  } while (n < 0 && errno == EINTR);
  return n;
}

int64_t FileWrite(FileHandle file, const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  const int64_t budget = g_write_budget.load(std::memory_order_relaxed);
  if (budget >= 0) {
    if (budget == 0) {
      errno = ENOSPC;
      return -1;
    }
    count = std::min(count, budget);
  }
  ssize_t n;
  do {
    n = write(static_cast<int>(file), buffer, static_cast<size_t>(count));
  } while (n < 0 && errno == EINTR);
  if (budget >= 0 && n > 0) g_write_budget.fetch_sub(n, std::memory_order_relaxed);
  return n;
}

int64_t FileSeek(FileHandle file, int64_t distance, SeekFrom from) {
  const int whence = from == SeekFrom::Begin ? SEEK_SET : from == SeekFrom::Current ? SEEK_CUR : SEEK_END;
  return lseek(static_cast<int>(file), distance, whence);
}

int64_t FileSize(FileHandle file) {
  struct stat st;
  if (fstat(static_cast<int>(file), &st) != 0) return -1;
  return st.st_size;
}

int FileSync(FileHandle file) { return fsync(static_cast<int>(file)) == 0 ? 0 : errno; }

int FileClose(FileHandle file) {
  if (file < 0) return EBADF;
  // Linux frees the descriptor even when close reports an error, so it is never retried.
  return close(static_cast<int>(file)) == 0 ? 0 : errno;
}

int FileRename(const std::u16string& from, const std::u16string& to) {
  const std::string a = PathBytes(from), b = PathBytes(to);
  if (a.find('\0') != std::string::npos || b.find('\0') != std::string::npos) return ENOENT;
  return std::rename(a.c_str(), b.c_str()) == 0 ? 0 : errno;
}

int FileRemove(const std::u16string& path) {
  const std::string bytes = PathBytes(path);
  if (bytes.find('\0') != std::string::npos) return ENOENT;
  return unlink(bytes.c_str()) == 0 ? 0 : errno;
}

bool FileIsReadOnly(FileHandle file) {
  struct stat st;
  return fstat(static_cast<int>(file), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0;
}

int FileTakeAccessOf(FileHandle model, const std::u16string& path) {
  struct stat st;
  if (fstat(static_cast<int>(model), &st) != 0) return errno;
  const std::string bytes = PathBytes(path);
  if (bytes.find('\0') != std::string::npos) return ENOENT;
  // Owner first: changing it may clear the set-user-ID bits, which the mode then puts back.
  if (lchown(bytes.c_str(), st.st_uid, st.st_gid) != 0 && errno != EPERM) return errno;
  return chmod(bytes.c_str(), st.st_mode & 07777) == 0 ? 0 : errno;
}

void FailWritesAfterForTesting(int64_t bytes) { g_write_budget.store(bytes, std::memory_order_relaxed); }

}  // namespace platform

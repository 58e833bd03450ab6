// File handles: the system's own on Windows; on POSIX descriptors, with "no sharing" as a
// non-blocking flock and transfers that retry on interruption.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// A handle is a descriptor of 3 or more (POSIX) or the system's handle value (Windows), so a live
// handle is never 0 even when the standard streams are closed; kInvalidFile marks failure.
using FileHandle = int64_t;
constexpr FileHandle kInvalidFile = -1;

enum class FileMode {
  CreateAlways,      // create, or empty an existing file
  OpenAlways,        // open, creating an empty file when missing
  OpenExisting,      // open only what exists
  TruncateExisting,  // open what exists and empty it
  CreateNew,         // create a file that does not exist yet; never through a link
};

enum FileAccess : unsigned { AccessRead = 1, AccessWrite = 2 };

enum class FileShare {
  None,  // exclusive lock: nobody else may hold the file
  Read,  // shared lock: others may read alongside
};

struct FileOpenOptions {
  FileMode mode = FileMode::OpenExisting;
  unsigned access = AccessRead;
  FileShare share = FileShare::None;
  bool regular_only = false;  // refuse FIFOs, devices and folders without blocking on them
  bool follow_links = true;   // false: a link as the last name is refused (ELOOP), never opened
};

// Opens the file named by a UTF-16 path (byte escapes become their bytes). Sets errno on failure.
FileHandle FileOpen(const std::u16string& path, const FileOpenOptions& options);
FileHandle FileOpenBytes(const std::string& path, const FileOpenOptions& options);

// Moves at most count bytes; returns how many moved, -1 on error (errno set). count may be any size.
int64_t FileRead(FileHandle file, void* buffer, int64_t count);
int64_t FileWrite(FileHandle file, const void* buffer, int64_t count);

enum class SeekFrom { Begin, Current, End };
// Returns the new position, or -1.
int64_t FileSeek(FileHandle file, int64_t distance, SeekFrom from);

// The file's size in bytes, or -1.
int64_t FileSize(FileHandle file);

// Writes the file's data through to the device (fsync). 0, or the error number.
int FileSync(FileHandle file);

// 0, or the error number the kernel gave when closing (a write it could not finish).
int FileClose(FileHandle file);

// Replaces `to` by `from` in one step (rename): a link named `to` is replaced, never followed.
// 0, or the error number.
int FileRename(const std::u16string& from, const std::u16string& to);

// Removes the name (a link, not its target). 0, or the error number.
int FileRemove(const std::u16string& path);

// True when the file is marked read-only: no write permission for its owner on POSIX, the read-only
// attribute on Windows. A program that may write it anyway (root, an administrator) must still
// leave it alone.
bool FileIsReadOnly(FileHandle file);

// Gives the file at `path` the permission bits and, where the process may, the owner and group of
// `model` (POSIX), or its attributes (Windows), so that a file written to replace another one keeps
// what the user set on it. 0, or the error number of what could not be done (an owner that cannot be
// given is not an error).
int FileTakeAccessOf(FileHandle model, const std::u16string& path);

// Lets tests fill the disk: after `bytes` more bytes, FileWrite moves nothing more and fails with
// ENOSPC, as a full file system does. A negative count ends that.
void FailWritesAfterForTesting(int64_t bytes);

// Path text to the bytes the kernel takes.
std::string PathBytes(const std::u16string& path);

}  // namespace platform

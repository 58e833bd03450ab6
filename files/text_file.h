// Numbered, buffered, sequential files with line reading and writing in a chosen encoding.
//
// Every open file has one 4096-byte buffer that is a read-ahead buffer while the file is read and a
// write-behind buffer while it is written. Switching between the two keeps the descriptor's position
// at the caller's logical position, so reads and writes may be freely interleaved on one file.
//
// Files are opened without sharing (an exclusive flock taken without waiting): a file held by someone
// else, or already open under another number here, fails to open. Only regular files are opened, so a
// FIFO or device given as a text file fails instead of blocking the program.
//
// Results, not errors: a failed open returns 0; every operation on a number that names no open file
// does nothing and returns 0 or the empty text (EndOfFile too, so check the open first). A write
// that fails (a full disk) is not retried, but the file remembers it for TextFileError and
// FinishTextFile, for callers that must not lose a byte.
#pragma once

#include <cstdint>

#include "platform/file.h"
#include "runtime/registry.h"
#include "runtime/text.h"

namespace files {

using runtime::ObjectNumber;
using runtime::Text;
using runtime::TextView;

// Encoding selectors. 0 means the file's default (UTF-8 for every file); any value other than these
// reads and writes one byte per character in the ANSI character set, like EncodingAscii.
constexpr int64_t EncodingUtf8 = 2;
constexpr int64_t EncodingAscii = 24;  // the ANSI character set of platform/codepage.h
constexpr int64_t EncodingUtf16 = 25;  // little-endian code units

constexpr int64_t kFileBufferSize = 4096;

// Largest single platform transfer; longer ones are split.
constexpr int64_t kMaxPlatformTransfer = int64_t{1} << 30;

constexpr uint32_t kRoleWrite = 0;
constexpr uint32_t kRoleRead = 1;

// One open file, as kept in the file library's registry. Plain memory: the registry zero-fills it.
struct FileObject {
  int64_t handle;             // platform handle (3 or more): non-zero while open
  uint8_t* buffer;            // kFileBufferSize bytes, or nullptr: then every transfer is direct
  int64_t buffer_size;        // kFileBufferSize
  int64_t count;              // write role: bytes still free; read role: bytes not yet handed out
  int64_t filled;             // read role: bytes the last refill placed in the buffer
  uint32_t role;              // kRoleRead (after opening) or kRoleWrite
  uint32_t default_encoding;  // EncodingUtf8
  int64_t error;              // error number of the first write or flush that failed; 0 while none did
};

// Creates the library's registry (grow step 16, release operation CloseTextFile). Called once at
// start-up; the open operations call it themselves if nobody did, and a second call changes nothing.
void InitFileLibrary();

// Creates the file, or empties an existing one, for reading and writing. When that is refused, it
// tries once more write-only on an existing file (a file one may write but not read). A live fixed
// number is closed first. Returns 0 on failure; else the new number for AnyId, or the platform
// handle for a fixed number.
int64_t CreateTextFile(ObjectNumber number, TextView name);

// Creates a file that must not exist yet, for reading and writing; a name that is taken, also by a
// link, is refused (so it is never written through a link). Results as above; errno tells why it
// failed (EEXIST: the name is taken).
int64_t CreateNewTextFile(ObjectNumber number, TextView name);

// Opens the file for reading and writing, creating it empty when missing. Results as above.
int64_t OpenTextFile(ObjectNumber number, TextView name);

// Opens an existing file for reading only (a template one may read but not write), without sharing.
// Writes to it fail and are dropped. Results as above.
int64_t OpenTextFileForReading(ObjectNumber number, TextView name);

// Non-zero when no byte is left to read (1; -1 for a file working without its buffer); 0 otherwise
// and for a number with no open file. A final line without terminator is still something to read.
int64_t EndOfFile(ObjectNumber number);

// The next line decoded from the encoding (0: the file's default). LF, CR LF, a lone CR and a zero
// unit end a line and are not part of it; a last line without terminator comes back whole, and a
// unit cut short by the end of the file is dropped.
//
// UTF-8: a lead byte gives the sequence length (110xxxxx two, 1110xxxx three, 11110xxx four); a
// byte that cannot start a sequence (10xxxxxx, 0xF8 and above) stands for "?". A sequence whose
// following bytes are not all continuation bytes ends at the first one that is not, which then starts
// the next unit, so a line end is never swallowed by a broken sequence. Bytes of a sequence that is
// not valid UTF-8 (broken, overlong, a surrogate, beyond U+10FFFF) come back as byte escapes
// (U+DC00 + byte, see platform/unicode.h), which WriteLine turns back into the same bytes.
//
// Other encodings: bytes the ANSI set cannot decode come back as byte escapes too; UTF-16 units are
// taken as they are.
//
// No byte-order mark is looked for: one at the start of a file is read as characters. Empty text
// when nothing is left, for a number with no open file, and when memory runs out.
Text ReadLine(ObjectNumber number, int64_t encoding);

// Writes the text and CR LF, both in the encoding (0: the file's default): UTF-16 as little-endian
// units, UTF-8 (byte escapes as their bytes, other lone surrogates as U+FFFD), anything else in the
// ANSI set ("?" for what it cannot hold). The text ends at its first zero unit, if any. No byte-order
// mark is ever written.
void WriteLineAs(ObjectNumber number, TextView text, int64_t encoding);

// WriteLineAs in the file's default encoding.
void WriteLine(ObjectNumber number, TextView text);

// Writes out pending bytes, closes the file and frees the number; AnyId closes every open file.
// A number with no open file is ignored.
void CloseTextFile(ObjectNumber number);

// The error number of the first write to the file that failed (also a write of buffered bytes, such
// as a full disk causes), or 0 while every byte was written; 0 for a number with no open file.
int64_t TextFileError(ObjectNumber number);

// CloseTextFile for a file whose every byte matters: writes out pending bytes, makes the file's data
// durable (fsync), closes it and frees the number. Returns 0 when every byte ever written to it
// reached the device, else the error number of the first failure (EBADF for a number with no open
// file).
int64_t FinishTextFile(ObjectNumber number);

// CloseTextFile(AnyId): every pending byte reaches the file. Called at shutdown.
void CloseAllTextFiles();

namespace detail {

// Moves n bytes (nothing when n < 1) in calls of at most `limit` bytes, each continuing where the
// previous one actually stopped, until all moved, a call fails or a call moves nothing (the end of
// the file). Returns the number of bytes moved.
int64_t TransferRead(platform::FileHandle file, void* destination, int64_t n, int64_t limit = kMaxPlatformTransfer);
int64_t TransferWrite(platform::FileHandle file, const void* source, int64_t n, int64_t limit = kMaxPlatformTransfer);

// Lets tests make the buffer allocation of the following opens fail, to exercise the unbuffered path.
void FailBufferAllocationForTesting(bool fail);

}  // namespace detail

}  // namespace files

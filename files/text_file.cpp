#include "files/text_file.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <new>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/codepage.h"
#include "platform/unicode.h"
#include "runtime/heap.h"

static_assert(std::endian::native == std::endian::little, "UTF-16 lines are written from memory as they are");

namespace files {
namespace {

using platform::FileHandle;

runtime::ObjectRegistry* g_registry = nullptr;
bool g_fail_buffer_allocation = false;

FileObject* Find(ObjectNumber number) {
  return g_registry ? runtime::FindRecord<FileObject>(g_registry, number) : nullptr;
}

int64_t EffectiveEncoding(const FileObject* file, int64_t encoding) {
  return encoding == 0 ? file->default_encoding : encoding;
}

// --- The buffer and its two roles -------------------------------------------------------------

// Writes to the platform, remembering the first failure: the bytes are lost, but whoever must know
// (the scene build) asks afterwards.
int64_t WriteThrough(FileObject* file, const void* source, int64_t n) {
  errno = 0;
  const int64_t moved = detail::TransferWrite(file->handle, source, n);
  if (moved < n && file->error == 0) file->error = errno ? errno : EIO;
  return moved;
}

// Writes the pending bytes of the write role.
void Flush(FileObject* file) {
  if (file->role != kRoleWrite || !file->buffer) return;
  WriteThrough(file, file->buffer, file->buffer_size - file->count);
  file->count = file->buffer_size;
}

void EnterReadRole(FileObject* file) {
  if (file->role == kRoleRead) return;
  Flush(file);
  file->role = kRoleRead;
  file->count = 0;
}

// The descriptor stands `count` bytes ahead of the caller in the read role; writing must start where
// the caller is.
void EnterWriteRole(FileObject* file) {
  if (file->role == kRoleWrite) return;
  if (file->count > 0) platform::FileSeek(file->handle, -file->count, platform::SeekFrom::Current);
  file->count = file->buffer_size;
  file->role = kRoleWrite;
}

int64_t BufferedWrite(FileObject* file, const void* source, int64_t n) {
  if (n < 1) return 0;
  if (!file->buffer) return WriteThrough(file, source, n);
  EnterWriteRole(file);
  if (file->count > n) {
    std::memcpy(file->buffer + (file->buffer_size - file->count), source, static_cast<size_t>(n));
    file->count -= n;
    return n;
  }
  Flush(file);
  if (n >= file->buffer_size) return WriteThrough(file, source, n);
  std::memcpy(file->buffer, source, static_cast<size_t>(n));
  file->count -= n;
  return n;
}

int64_t BufferedRead(FileObject* file, void* destination, int64_t n) {
  if (n < 1) return 0;
  if (!file->buffer) return detail::TransferRead(file->handle, destination, n);
  EnterReadRole(file);
  auto* out = static_cast<uint8_t*>(destination);
  const uint8_t* unread = file->buffer + (file->filled - file->count);
  if (file->count >= n) {
    std::memcpy(out, unread, static_cast<size_t>(n));
    file->count -= n;
    return n;
  }
  const int64_t previous = file->count;
  std::memcpy(out, unread, static_cast<size_t>(previous));
  file->count = 0;
  const int64_t rest = n - previous;
  if (rest >= file->buffer_size) return previous + detail::TransferRead(file->handle, out + previous, rest);
  file->filled = file->count = detail::TransferRead(file->handle, file->buffer, file->buffer_size);
  const int64_t taken = std::min(rest, file->filled);
  std::memcpy(out + previous, file->buffer, static_cast<size_t>(taken));
  file->count -= taken;
  return previous + taken;
}

// Gives back the last k bytes read. They are normally still in the buffer; a unit that straddled a
// refill is partly in the previous buffer's contents, so then the descriptor is moved back instead and
// the buffer dropped (the bytes are read again).
void PushBack(FileObject* file, int64_t k) {
  if (k < 1) return;
  if (!file->buffer) {
    platform::FileSeek(file->handle, -k, platform::SeekFrom::Current);
  } else if (file->role == kRoleRead && file->filled - file->count >= k) {
    file->count += k;
  } else {
    platform::FileSeek(file->handle, -(file->count + k), platform::SeekFrom::Current);
    file->count = 0;
  }
}

bool HasUnreadBytes(const FileObject* file) { return file->buffer && file->role == kRoleRead && file->count > 0; }

[[gnu::noinline]] int ReadByteSlowly(FileObject* file) {
  uint8_t byte;
  return BufferedRead(file, &byte, 1) == 1 ? byte : -1;
}

// One byte, or -1 when none is left.
inline int ReadByte(FileObject* file) {
  if (HasUnreadBytes(file)) return file->buffer[file->filled - file->count--];
  return ReadByteSlowly(file);
}

// --- Moving many plain characters at once ------------------------------------------------------

// How many leading units are ASCII other than zero, narrowed into out on the way.
size_t NarrowAscii(const char16_t* in, size_t n, char* out) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    // Saturation turns units 0x80..0x7FFF into bytes with the sign bit set and 0x8000 and above
    // into 0, so both kinds stop the run along with a real zero.
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i + 8));
    const __m128i bytes = _mm_packus_epi16(low, high);
    if (_mm_movemask_epi8(_mm_or_si128(bytes, _mm_cmpeq_epi8(bytes, zero)))) break;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), bytes);
  }
#endif
  for (; i < n && in[i] != 0 && in[i] < 0x80; ++i) out[i] = static_cast<char>(in[i]);
  return i;
}

void WidenBytes(const uint8_t* in, size_t n, char16_t* out) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(bytes, zero));
  }
#endif
  for (; i < n; ++i) out[i] = in[i];
}

// Bytes that the byte-wise readers cannot simply append: the line ends, and for UTF-8 every byte
// that starts or continues a multi-byte sequence.
struct StopTables {
  std::array<bool, 256> single{};
  std::array<bool, 256> utf8{};
  constexpr StopTables() {
    for (int b : {0, 10, 13}) single[b] = utf8[b] = true;
    for (int b = 0x80; b < 256; ++b) utf8[b] = true;
  }
};
constexpr StopTables kStops;

// The first byte in [p, end) that a reader must look at; plain bytes are skipped many at a time,
// because most of a line is plain.
const uint8_t* SkipPlainBytes(const uint8_t* p, const uint8_t* end, bool utf8) {
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), zero = _mm_setzero_si128();
  // Bytes of 0x80 and above have their sign bit set, which is what the UTF-8 reader must see.
  const __m128i high_bytes = utf8 ? _mm_set1_epi8(static_cast<char>(0xFF)) : zero;
  while (end - p >= 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i stops = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, zero), _mm_cmpeq_epi8(bytes, lf)),
                                       _mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_and_si128(bytes, high_bytes)));
    if (const int mask = _mm_movemask_epi8(stops)) return p + std::countr_zero(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  const auto& stops = utf8 ? kStops.utf8 : kStops.single;
  while (p < end && !stops[*p]) ++p;
  return p;
}

// Hands the plain bytes at the read position to `take` and consumes them.
template <typename Take>
void TakePlainBytes(FileObject* file, bool utf8, Take take) {
  if (!HasUnreadBytes(file)) return;
  const uint8_t* begin = file->buffer + (file->filled - file->count);
  const uint8_t* stop = SkipPlainBytes(begin, file->buffer + file->filled, utf8);
  take(begin, stop);
  file->count -= stop - begin;
}

// --- Line readers -----------------------------------------------------------------------------

int Utf8SequenceLength(int lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xC0) return 0;  // a continuation byte cannot start a sequence
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  if (lead < 0xF8) return 4;
  return 0;
}

// After a CR: a following LF belongs to the same line end, anything else starts the next line.
void FinishCarriageReturn(FileObject* file) {
  const int next = ReadByte(file);
  if (next >= 0 && next != '\n') PushBack(file, 1);
}

// The single-byte reader: the line's bytes, for the ANSI decoder.
void ReadAnsiLine(FileObject* file, std::string& line) {
  for (;;) {
    TakePlainBytes(file, false, [&](const uint8_t* begin, const uint8_t* end) {
      line.append(reinterpret_cast<const char*>(begin), static_cast<size_t>(end - begin));
    });
    const int byte = ReadByte(file);
    if (byte < 0 || byte == 0 || byte == '\n') return;
    if (byte == '\r') return FinishCarriageReturn(file);
    line.push_back(static_cast<char>(byte));
  }
}

// The UTF-8 reader, decoding as it goes: ASCII runs are widened straight from the buffer, each
// multi-byte sequence is decoded on its own.
Text ReadUtf8Line(FileObject* file) {
  Text line;
  for (;;) {
    TakePlainBytes(file, true, [&](const uint8_t* begin, const uint8_t* end) {
      const size_t old_size = line.size();
      line.resize(old_size + static_cast<size_t>(end - begin));
      WidenBytes(begin, static_cast<size_t>(end - begin), line.data() + old_size);
    });
    const int byte = ReadByte(file);
    if (byte < 0 || byte == 0 || byte == '\n') return line;
    if (byte == '\r') {
      FinishCarriageReturn(file);
      return line;
    }
    const int length = Utf8SequenceLength(byte);
    if (length == 0) {
      line.push_back(u'?');
      continue;
    }
    char sequence[4] = {static_cast<char>(byte)};
    int taken = 1;
    for (; taken < length; ++taken) {
      const int next = ReadByte(file);
      if (next < 0) return line;  // a sequence cut short by the end of the file is dropped
      if ((next & 0xC0) != 0x80) {
        PushBack(file, 1);  // not part of this sequence: it may well be the line end
        break;
      }
      sequence[taken] = static_cast<char>(next);
    }
    // Each sequence ends where the next begins, so decoding them one by one gives what decoding the
    // whole line would: invalid bytes become byte escapes either way.
    line += platform::Utf8ToUtf16(std::string_view(sequence, static_cast<size_t>(taken)));
  }
}

// One UTF-16 unit: 2 when read, fewer when the file ended (a lone last byte is consumed and dropped).
int64_t ReadUnit(FileObject* file, char16_t* unit) {
  if (HasUnreadBytes(file) && file->count >= 2) {
    std::memcpy(unit, file->buffer + (file->filled - file->count), 2);
    file->count -= 2;
    return 2;
  }
  return BufferedRead(file, unit, 2);
}

Text ReadUtf16Line(FileObject* file) {
  Text line;
  char16_t unit;
  while (ReadUnit(file, &unit) == 2) {
    if (unit == 0 || unit == u'\n') break;
    if (unit == u'\r') {
      char16_t next;
      if (ReadUnit(file, &next) == 2 && next != u'\n') PushBack(file, 2);
      break;
    }
    line.push_back(unit);
  }
  return line;
}

// Line bytes are collected here and reused, so that reading or writing many lines does not allocate
// for each; an unusually long line does not keep its memory.
std::string& LineScratch() {
  static std::string scratch;
  constexpr size_t kKeep = size_t{1} << 20;
  if (scratch.capacity() > kKeep) std::string().swap(scratch);
  scratch.clear();
  return scratch;
}

// The text, up to its first zero unit, in UTF-8 as the platform encodes it; ASCII is narrowed here.
void EncodeUtf8(TextView text, std::string& out) {
  out.resize(text.size());
  const size_t ascii = NarrowAscii(text.data(), text.size(), out.data());
  out.resize(ascii);
  if (ascii == text.size() || text[ascii] == 0) return;
  const TextView rest = text.substr(ascii);
  out += platform::Utf16ToUtf8(rest.substr(0, rest.find(u'\0')));
}

// --- Opening ------------------------------------------------------------------------------------

enum class OpenKind { Create, CreateNew, OpenAlways, ReadExisting };

int64_t OpenFile(ObjectNumber number, TextView name, OpenKind kind) {
  const bool create = kind == OpenKind::Create;
  InitFileLibrary();
  if (!g_registry) return 0;
  FileObject* file = runtime::AcquireRecord<FileObject>(g_registry, number);
  if (!file) return 0;
  const ObjectNumber identity = number == runtime::AnyId ? runtime::NumberOfRecord(file) : number;

  FileHandle handle = platform::kInvalidFile;
  try {
    const std::u16string path(name);
    platform::FileOpenOptions options;
    options.mode = create                         ? platform::FileMode::CreateAlways
                   : kind == OpenKind::CreateNew  ? platform::FileMode::CreateNew
                   : kind == OpenKind::OpenAlways ? platform::FileMode::OpenAlways
                                                  : platform::FileMode::OpenExisting;
    options.access =
        kind == OpenKind::ReadExisting ? platform::AccessRead : platform::AccessRead | platform::AccessWrite;
    options.share = platform::FileShare::None;
    options.regular_only = true;
    handle = platform::FileOpen(path, options);
    if (handle == platform::kInvalidFile && create) {
      // A file that may be written but not read can still be emptied and written.
      options.mode = platform::FileMode::TruncateExisting;
      options.access = platform::AccessWrite;
      handle = platform::FileOpen(path, options);
    }
  } catch (const std::bad_alloc&) {
    handle = platform::kInvalidFile;
    errno = ENOMEM;
  }
  if (handle == platform::kInvalidFile) {
    const int reason = errno;
    runtime::ReleaseObject(g_registry, identity);
    errno = reason;
    return 0;
  }
  file->handle = handle;
  file->buffer =
      g_fail_buffer_allocation ? nullptr : static_cast<uint8_t*>(runtime::HeapAllocate(kFileBufferSize, false));
  file->buffer_size = kFileBufferSize;
  file->count = 0;
  file->filled = 0;
  file->role = kRoleRead;
  file->default_encoding = EncodingUtf8;
  file->error = 0;
  return number == runtime::AnyId ? identity : handle;
}

}  // namespace

namespace detail {

int64_t TransferRead(FileHandle file, void* destination, int64_t n, int64_t limit) {
  if (n < 1 || limit < 1) return 0;
  auto* out = static_cast<uint8_t*>(destination);
  int64_t moved = 0;
  while (moved < n) {
    const int64_t got = platform::FileRead(file, out + moved, std::min(n - moved, limit));
    if (got <= 0) break;
    moved += got;
  }
  return moved;
}

int64_t TransferWrite(FileHandle file, const void* source, int64_t n, int64_t limit) {
  if (n < 1 || limit < 1) return 0;
  const auto* in = static_cast<const uint8_t*>(source);
  int64_t moved = 0;
  while (moved < n) {
    const int64_t put = platform::FileWrite(file, in + moved, std::min(n - moved, limit));
    if (put <= 0) break;
    moved += put;
  }
  return moved;
}

void FailBufferAllocationForTesting(bool fail) { g_fail_buffer_allocation = fail; }

}  // namespace detail

void InitFileLibrary() {
  if (!g_registry) g_registry = runtime::CreateRecordRegistry<FileObject>(16, CloseTextFile);
}

int64_t CreateTextFile(ObjectNumber number, TextView name) { return OpenFile(number, name, OpenKind::Create); }

int64_t CreateNewTextFile(ObjectNumber number, TextView name) { return OpenFile(number, name, OpenKind::CreateNew); }

int64_t OpenTextFile(ObjectNumber number, TextView name) { return OpenFile(number, name, OpenKind::OpenAlways); }

int64_t OpenTextFileForReading(ObjectNumber number, TextView name) {
  return OpenFile(number, name, OpenKind::ReadExisting);
}

int64_t EndOfFile(ObjectNumber number) {
  FileObject* file = Find(number);
  if (!file) return 0;
  if (ReadByte(file) < 0) return file->buffer ? 1 : -1;
  PushBack(file, 1);
  return 0;
}

Text ReadLine(ObjectNumber number, int64_t encoding) {
  FileObject* file = Find(number);
  if (!file) return Text();
  const int64_t chosen = EffectiveEncoding(file, encoding);
  try {
    if (chosen == EncodingUtf16) return ReadUtf16Line(file);
    if (chosen == EncodingUtf8) return ReadUtf8Line(file);
    std::string& bytes = LineScratch();
    ReadAnsiLine(file, bytes);
    return bytes.empty() ? Text() : platform::AnsiToUtf16(bytes);
  } catch (const std::bad_alloc&) {
    return Text();
  }
}

void WriteLineAs(ObjectNumber number, TextView text, int64_t encoding) {
  FileObject* file = Find(number);
  if (!file) return;
  const int64_t chosen = EffectiveEncoding(file, encoding);
  if (chosen != EncodingUtf8) text = text.substr(0, text.find(u'\0'));  // EncodeUtf8 stops there itself
  if (chosen == EncodingUtf16) {
    BufferedWrite(file, text.data(), static_cast<int64_t>(text.size() * sizeof(char16_t)));
    BufferedWrite(file, u"\r\n", 2 * sizeof(char16_t));
    return;
  }
  if (!text.empty()) {
    try {
      std::string& bytes = LineScratch();
      if (chosen == EncodingUtf8)
        EncodeUtf8(text, bytes);
      else
        bytes = platform::Utf16ToAnsi(text);
      BufferedWrite(file, bytes.data(), static_cast<int64_t>(bytes.size()));
    } catch (const std::bad_alloc&) {
      // The text is lost, but the line end still keeps the following lines apart.
    }
  }
  BufferedWrite(file, "\r\n", 2);
}

void WriteLine(ObjectNumber number, TextView text) { WriteLineAs(number, text, 0); }

void CloseTextFile(ObjectNumber number) {
  if (number == runtime::AnyId) return CloseAllTextFiles();
  FileObject* file = Find(number);
  if (!file) return;
  if (file->buffer) {
    Flush(file);
    runtime::HeapFree(file->buffer);
  }
  platform::FileClose(file->handle);
  runtime::ReleaseObject(g_registry, number);
}

int64_t TextFileError(ObjectNumber number) {
  const FileObject* file = Find(number);
  return file ? file->error : 0;
}

int64_t FinishTextFile(ObjectNumber number) {
  FileObject* file = Find(number);
  if (!file) return EBADF;
  if (file->buffer) {
    Flush(file);
    runtime::HeapFree(file->buffer);
  }
  int64_t error = file->error;
  const int synced = platform::FileSync(file->handle);
  const int closed = platform::FileClose(file->handle);
  if (error == 0) error = synced ? synced : closed;
  runtime::ReleaseObject(g_registry, number);
  return error;
}

void CloseAllTextFiles() {
  if (g_registry) runtime::ReleaseAllObjects(g_registry);
}

}  // namespace files

#include "platform/codepage.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "platform/unicode.h"

static_assert(std::endian::native == std::endian::little, "UTF-16LE is taken as the in-memory layout");

namespace platform {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

struct Charset {
  std::string name;
  bool utf8 = true;
  iconv_t decode = kNoConverter;  // charset -> UTF-16LE
  iconv_t encode = kNoConverter;  // UTF-16LE -> charset
};

std::mutex g_lock;  // iconv descriptors carry state: one conversion at a time
Charset* g_charset = nullptr;

// Asks the environment's locale without touching the process's own locale.
std::string LocaleCharset() {
  std::string name = "ANSI_X3.4-1968";
  if (locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0))) {
    if (const char* codeset = nl_langinfo_l(CODESET, loc); codeset && *codeset) name = codeset;
    freelocale(loc);
  }
  return name;
}

bool IsUtf8Name(std::string_view name) {
  std::string folded;
  for (char c : name)
    if (c != '-' && c != '_') folded.push_back(static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c));
  return folded == "UTF8";
}

void CloseConverters(Charset& set) {
  if (set.decode != kNoConverter) iconv_close(set.decode);
  if (set.encode != kNoConverter) iconv_close(set.encode);
  set.decode = set.encode = kNoConverter;
}

bool OpenCharset(Charset& set, const std::string& name) {
  Charset fresh;
  fresh.name = name;
  fresh.utf8 = IsUtf8Name(name);
  if (!fresh.utf8) {
    fresh.decode = iconv_open("UTF-16LE", name.c_str());
    fresh.encode = iconv_open(name.c_str(), "UTF-16LE");
    if (fresh.decode == kNoConverter || fresh.encode == kNoConverter) {
      CloseConverters(fresh);
      return false;
    }
  }
  CloseConverters(set);
  set = fresh;
  return true;
}

Charset& Current() {
  if (!g_charset) {
    g_charset = new Charset;
    if (!OpenCharset(*g_charset, LocaleCharset())) OpenCharset(*g_charset, "UTF-8");
  }
  return *g_charset;
}

// Runs one iconv pass over the whole input; calls on_bad(offset) for each input position iconv
// rejects and resumes after the bytes it returns to skip.
template <typename OnBad>
void Convert(iconv_t cd, const char* in, size_t in_size, std::string& out, OnBad on_bad) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* src = const_cast<char*>(in);
  size_t left = in_size;
  char buffer[4096];
  while (left > 0) {
    char* dst = buffer;
    size_t room = sizeof buffer;
    const size_t rc = iconv(cd, &src, &left, &dst, &room);
    const int error = errno;
    out.append(buffer, static_cast<size_t>(dst - buffer));
    if (rc != static_cast<size_t>(-1)) continue;
    if (error == E2BIG) continue;
    // EILSEQ or EINVAL (a truncated sequence at the end): the caller decides what stands for it.
    const size_t skip = on_bad(static_cast<size_t>(src - in), out);
    src += skip;
    left -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
}

}  // namespace

std::string AnsiCharset() {
  std::lock_guard guard(g_lock);
  return Current().name;
}

bool SetAnsiCharset(std::string_view name) {
  std::lock_guard guard(g_lock);
  Charset& set = Current();
  return OpenCharset(set, name.empty() ? LocaleCharset() : std::string(name));
}

std::u16string AnsiToUtf16(std::string_view bytes) {
  std::lock_guard guard(g_lock);
  Charset& set = Current();
  if (set.utf8) return Utf8ToUtf16(bytes);
  std::string raw;
  Convert(set.decode, bytes.data(), bytes.size(), raw, [&](size_t offset, std::string& out) {
    const char16_t escape = static_cast<char16_t>(kByteEscapeBase + static_cast<unsigned char>(bytes[offset]));
    out.append(reinterpret_cast<const char*>(&escape), 2);
    return size_t{1};
  });
  std::u16string text(raw.size() / 2, u'\0');
  std::memcpy(text.data(), raw.data(), text.size() * 2);
  return text;
}

std::string Utf16ToAnsi(std::u16string_view text) {
  std::lock_guard guard(g_lock);
  Charset& set = Current();
  if (set.utf8) return Utf16ToUtf8(text);
  std::string out;
  const char* in = reinterpret_cast<const char*>(text.data());
  Convert(set.encode, in, text.size() * 2, out, [&](size_t offset, std::string& sink) {
    const char16_t unit = text[offset / 2];
    sink.push_back(IsByteEscape(unit) ? static_cast<char>(unit - kByteEscapeBase) : '?');
    const bool pair = unit >= 0xD800 && unit <= 0xDBFF && offset / 2 + 1 < text.size() &&
                      text[offset / 2 + 1] >= 0xDC00 && text[offset / 2 + 1] <= 0xDFFF;
    return size_t{pair ? 4u : 2u};
  });
  return out;
}

}  // namespace platform

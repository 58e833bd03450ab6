#include "platform/codepage.h"

#include <windows.h>

#include <atomic>

#include "platform/unicode.h"

// The ANSI code page is the system's (GetACP); tests choose another by name. UTF-8 goes through
// the platform's own converter so that invalid bytes travel as byte escapes as everywhere else.
namespace platform {
namespace {

constexpr UINT kUtf8 = 65001;
constexpr UINT kUsAscii = 20127;

std::atomic<UINT> g_chosen{CP_ACP};  // CP_ACP: the system's

UINT CodePage() {
  const UINT chosen = g_chosen;
  return chosen == CP_ACP ? ::GetACP() : chosen;
}

// "CP1252", "UTF-8", an ASCII name, or 0 when the name is none of these.
UINT CodePageNamed(std::string_view name) {
  std::string folded;
  for (char c : name)
    if (c != '-' && c != '_') folded.push_back(static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c));
  if (folded == "UTF8") return kUtf8;
  if (folded == "ASCII" || folded == "USASCII" || folded == "ANSIX3.41968") return kUsAscii;
  if (folded.size() < 3 || folded.size() > 7 || folded.compare(0, 2, "CP") != 0) return 0;
  UINT number = 0;
  for (size_t i = 2; i < folded.size(); ++i) {
    if (folded[i] < '0' || folded[i] > '9') return 0;
    number = number * 10 + static_cast<UINT>(folded[i] - '0');
  }
  return number;
}

// Without best fit, a character the code page cannot hold becomes "?" instead of a look-alike
// ("\u0142" as "l", "\u2215" as "/"): the scene line then names no other file than it was given,
// and it reads the same as on every other system.
constexpr DWORD kEncodeFlags = WC_NO_BEST_FIT_CHARS;

// Slices short enough for the conversion calls' int counts.
constexpr size_t kSlice = size_t{1} << 24;

// Appends one run that holds no surrogate, so any slice boundary falls between characters.
void EncodeRun(UINT code_page, std::u16string_view run, std::string& out) {
  for (size_t at = 0; at < run.size(); at += kSlice) {
    const std::u16string_view part = run.substr(at, kSlice);
    const auto* wide = reinterpret_cast<const wchar_t*>(part.data());
    const int count = static_cast<int>(part.size());
    const int need = ::WideCharToMultiByte(code_page, kEncodeFlags, wide, count, nullptr, 0, nullptr, nullptr);
    if (need <= 0) {
      out.append(part.size(), '?');
      continue;
    }
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(need));
    ::WideCharToMultiByte(code_page, kEncodeFlags, wide, count, out.data() + start, need, nullptr, nullptr);
  }
}

}  // namespace

std::string AnsiCharset() {
  const UINT code_page = CodePage();
  return code_page == kUtf8 ? "UTF-8" : "CP" + std::to_string(code_page);
}

bool SetAnsiCharset(std::string_view name) {
  if (name.empty()) {
    g_chosen = CP_ACP;
    return true;
  }
  const UINT code_page = CodePageNamed(name);
  if (code_page == 0 || !::IsValidCodePage(code_page)) return false;
  g_chosen = code_page;
  return true;
}

std::u16string AnsiToUtf16(std::string_view bytes) {
  const UINT code_page = CodePage();
  if (code_page == kUtf8) return Utf8ToUtf16(bytes);
  std::u16string text;
  for (size_t at = 0; at < bytes.size(); at += kSlice) {
    const std::string_view part = bytes.substr(at, kSlice);
    const int count = static_cast<int>(part.size());
    const int need = ::MultiByteToWideChar(code_page, 0, part.data(), count, nullptr, 0);
    if (need <= 0) {
      text.append(part.size(), u'?');
      continue;
    }
    const size_t start = text.size();
    text.resize(start + static_cast<size_t>(need));
    ::MultiByteToWideChar(code_page, 0, part.data(), count, reinterpret_cast<wchar_t*>(text.data() + start), need);
  }
  return text;
}

std::string Utf16ToAnsi(std::u16string_view text) {
  const UINT code_page = CodePage();
  if (code_page == kUtf8) return Utf16ToUtf8(text);
  // No ANSI code page holds a character beyond the first plane: a surrogate pair is one "?", a
  // byte escape its byte again, and only the runs between them go to the system's converter.
  std::string out;
  size_t run = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    const bool end = i == text.size();
    if (!end && (text[i] < 0xD800 || text[i] > 0xDFFF)) continue;
    EncodeRun(code_page, text.substr(run, i - run), out);
    if (end) break;
    const char16_t unit = text[i];
    if (IsByteEscape(unit)) {
      out.push_back(static_cast<char>(unit - kByteEscapeBase));
    } else {
      out.push_back('?');
      if (unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
    }
    run = i + 1;
  }
  return out;
}

}  // namespace platform

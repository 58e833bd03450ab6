// UTF-8 <-> UTF-16 conversion and case mapping for the platform layer.
//
// File names on Linux are bytes, texts are UTF-16. A byte that is not part of valid UTF-8 is carried
// as the lone low surrogate U+DC00 + byte (U+DC80..U+DCFF) and turned back into that byte on the way
// out, so every name survives a round trip and every file stays reachable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

constexpr char16_t kByteEscapeBase = 0xDC00;

// True for a unit that carries a raw byte (U+DC80..U+DCFF).
inline bool IsByteEscape(char16_t unit) { return unit >= 0xDC80 && unit <= 0xDCFF; }

// Decodes UTF-8; invalid bytes become byte escapes. Never fails.
std::u16string Utf8ToUtf16(std::string_view bytes);

// Encodes UTF-16 as UTF-8; byte escapes become their byte again, other lone surrogates U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// The simple Unicode lower-case mapping applied in place, one character at a time; the length
// never changes (mappings that would change the UTF-16 length are left out).
void CharLowerW(char16_t* text, size_t length);

// One code point's simple lower-case form (the code point itself when it has none).
char32_t LowerCodePoint(char32_t cp);

}  // namespace platform

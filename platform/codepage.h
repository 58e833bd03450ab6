// The ANSI code page stand-in: the character set of the locale the program started in.
//
// Bytes the set cannot decode are carried as byte escapes (see unicode.h) and written back as the
// same bytes; characters it cannot encode become "?".
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Name of the character set in use, as iconv knows it (for example "UTF-8" or "ANSI_X3.4-1968").
std::string AnsiCharset();

// Chooses another character set (tests use "CP1252"); an empty name goes back to the locale's.
// Returns false, changing nothing, when iconv does not know the set.
bool SetAnsiCharset(std::string_view name);

std::u16string AnsiToUtf16(std::string_view bytes);
std::string Utf16ToAnsi(std::u16string_view text);

}  // namespace platform

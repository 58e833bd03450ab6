// The system's path separator, for code that builds paths.
#pragma once

namespace platform {

#if defined(_WIN32)
// "/" is accepted too, but "\" is what the system's own paths and the find-first search paths use.
inline constexpr char16_t kPathSeparator = u'\\';
inline constexpr char16_t kPathSeparatorText[] = u"\\";
inline constexpr bool IsPathSeparator(char16_t unit) { return unit == u'\\' || unit == u'/'; }
#else
inline constexpr char16_t kPathSeparator = u'/';
inline constexpr char16_t kPathSeparatorText[] = u"/";
inline constexpr bool IsPathSeparator(char16_t unit) { return unit == u'/'; }
#endif

}  // namespace platform

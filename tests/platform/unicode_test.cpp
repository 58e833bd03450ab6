#include "platform/unicode.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(Unicode, Utf8DecodesAndInvalidBytesRoundTripThroughEscapes) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80", u"a\u00e4\u20ac\U0001F600"},
      {"caf\xE9.png", u"caf\xDCE9.png"},        // a stray Latin-1 byte
      {"\xC0\xAF", u"\xDCC0\xDCAF"},            // an overlong slash
      {"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},  // a surrogate encoded in UTF-8
      {"end\xE2\x82", u"end\xDCE2\xDC82"},      // a truncated sequence
  };
  for (const auto& [bytes, text] : cases) {
    EXPECT_EQ(Utf8ToUtf16(bytes), text);
    EXPECT_EQ(Utf16ToUtf8(text), bytes);
  }
  // Lone surrogates that are not escapes become replacement characters.
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xDC10))), "\xEF\xBF\xBD");
}

TEST(Unicode, LowerCaseMapsEveryScriptAndLeavesTheRestAlone) {
  std::u16string text = u"Photo.JPG \u00c4\u00d6\u00dc \u0391\u03a3 \u0414\u0416 \U00010400 abc123\u00e4\xDCC4";
  CharLowerW(text.data(), text.size());
  EXPECT_EQ(text, u"photo.jpg \u00e4\u00f6\u00fc \u03b1\u03c3 \u0434\u0436 \U00010428 abc123\u00e4\xDCC4");
  EXPECT_EQ(LowerCodePoint(U'\u0416'), U'\u0436');
  EXPECT_EQ(LowerCodePoint(U'\U00010400'), U'\U00010428');
#if !defined(_WIN32)
  // The compiled-in tables also lower what the Windows tables leave alone.
  text = u"\u0130 \u1E9E";
  CharLowerW(text.data(), text.size());
  EXPECT_EQ(text, u"i \u00df");
#endif
}

}  // namespace
}  // namespace platform

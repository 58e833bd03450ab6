#include "platform/unicode.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(Unicode, ValidUtf8DecodesToCodeUnits) {
  EXPECT_EQ(Utf8ToUtf16("a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"), u"a\u00e4\u20ac\U0001F600");
}

TEST(Unicode, InvalidBytesRoundTripThroughEscapes) {
  // A stray Latin-1 byte, an overlong slash, a surrogate encoded in UTF-8, a truncated sequence.
  for (const std::string& bytes : {std::string("caf\xE9.png"), std::string("\xC0\xAF"), std::string("\xED\xA0\x80"),
                                  std::string("end\xE2\x82")}) {
    const std::u16string text = Utf8ToUtf16(bytes);
    EXPECT_EQ(Utf16ToUtf8(text), bytes);
  }
  EXPECT_EQ(Utf8ToUtf16("caf\xE9"), std::u16string(u"caf") + char16_t(0xDCE9));
}

TEST(Unicode, LoneSurrogatesThatAreNotEscapesBecomeReplacementCharacters) {
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xDC10))), "\xEF\xBF\xBD");
}

TEST(Unicode, LowerCaseMapsEveryScriptAndKeepsTheLength) {
  std::u16string text = u"Photo.JPG \u00c4\u00d6\u00dc \u0391\u03a3 \u0414\u0416 \U00010400";
  const size_t length = text.size();
  CharLowerW(text.data(), text.size());
  EXPECT_EQ(text, u"photo.jpg \u00e4\u00f6\u00fc \u03b1\u03c3 \u0434\u0436 \U00010428");
  EXPECT_EQ(text.size(), length);
  EXPECT_EQ(LowerCodePoint(U'\u0416'), U'\u0436');
  EXPECT_EQ(LowerCodePoint(U'\U00010400'), U'\U00010428');
}

TEST(Unicode, LowerCaseLeavesLowerCaseDigitsAndEscapesAlone) {
  std::u16string text = u"abc123\u00e4";
  text.push_back(char16_t(0xDCC4));
  const std::u16string before = text;
  CharLowerW(text.data(), text.size());
  EXPECT_EQ(text, before);
}

}  // namespace
}  // namespace platform

// Text conversions: UTF-8 names with their byte escapes, and the ANSI code pages.
#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/unicode.h"

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

class Codepage : public ::testing::Test {
 protected:
  void TearDown() override { SetAnsiCharset(""); }
};

// What each set cannot encode becomes "?" (a surrogate pair is one character); bytes it cannot
// decode come back unchanged.
TEST_F(Codepage, EachSetEncodesWhatItHoldsAndReplacesTheRest) {
  struct Case {
    const char* charset;
    std::u16string text;
    std::string bytes;
    bool decodes_back;
  };
  const Case cases[] = {
      {"CP1252", u"a\u00e4\u20ac", "a\xE4\x80", true},           {"CP1252", u"x\u4e2d\U0001F600y", "x??y", false},
      {"UTF-8", u"\u00e4\u4e2d", "\xC3\xA4\xE4\xB8\xAD", true},  {"UTF-8", u"\ufeffx", "\xEF\xBB\xBFx", true},
      {"ANSI_X3.4-1968", u"na\u00efve.png", "na?ve.png", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.charset + ::testing::PrintToString(c.bytes));
    ASSERT_TRUE(SetAnsiCharset(c.charset));
    EXPECT_EQ(Utf16ToAnsi(c.text), c.bytes);
    if (c.decodes_back) {
      EXPECT_EQ(AnsiToUtf16(c.bytes), c.text);
    }
  }
  ASSERT_TRUE(SetAnsiCharset("CP1252"));
  EXPECT_EQ(Utf16ToAnsi(AnsiToUtf16("\x81\x8D ok")), "\x81\x8D ok");  // undefined in CP1252
}

TEST_F(Codepage, UnknownSetIsRefusedAndTheOldOneKept) {
  ASSERT_TRUE(SetAnsiCharset("CP1252"));
  EXPECT_FALSE(SetAnsiCharset("NO-SUCH-CHARSET"));
  EXPECT_EQ(AnsiCharset(), "CP1252");
}

#if defined(_WIN32)
// The tests run with the Western European code page as the system's own.
TEST_F(Codepage, TheSystemsAnsiCodePageIsUsedUntilAnotherIsChosen) {
  ASSERT_TRUE(SetAnsiCharset(""));
  EXPECT_EQ(AnsiCharset(), "CP1252");
  EXPECT_EQ(AnsiToUtf16("\xE9t\xE9 \x80"), u"\u00e9t\u00e9 \u20ac");
  ASSERT_TRUE(SetAnsiCharset("CP1251"));
  EXPECT_EQ(Utf16ToAnsi(u"\u0416"), "\xC6");
}
#endif

}  // namespace
}  // namespace platform

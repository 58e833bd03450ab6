// Names and text: UTF-8 with byte escapes, ANSI code pages, the order of names and their patterns.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/codepage.h"
#include "platform/find.h"
#include "platform/name_order.h"
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

// What a set cannot encode becomes "?" (a surrogate pair is one); bytes it cannot decode come back.
TEST_F(Codepage, EachSetEncodesWhatItHoldsAndReplacesTheRest) {
  struct Case {
    const char* charset;
    std::u16string text;
    std::string bytes;
    bool decodes_back;
  };
  const Case cases[] = {
      {"CP1252", u"x\u4e2d\U0001F600y", "x??y", false},
      {"UTF-8", u"\u00e4\u4e2d", "\xC3\xA4\xE4\xB8\xAD", true},
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

TEST(NameOrder, NamesSortByUpperCasedUnitsThenByRawUnits) {
  // Each row sorts strictly before the next one.
  const std::u16string ordered[] = {
      u"",           u"-",      u"10",     u"9",      u"A", u"a",
      u"a.b",  // a shorter name that starts a longer one comes first
      u"AB",         u"Ab",     u"aB",     u"ab",     u"i",
      u"\u0131",  // dotless i upper-cases to I
      u"Z",
      u"_",  // after every letter, because letters are compared upper-cased
      u"\u00C9",     u"\u00E9", u"\u00DF", u"\u0100",
      u"\u00FF",  // its upper case U+0178 comes after U+0100
      u"\u03A3",     u"\u03C2", u"\u03C3", u"\u4E2D",
      u"\U0001D49C",  // a supplementary character: its surrogates are compared as they are
      u"\xDC80",     u"\xDCFF", u"\uFF21",
  };
  EXPECT_LT(CompareNames(std::u16string_view(u"abz", 2), u"abc"), 0);
  for (size_t i = 0; i < std::size(ordered); ++i) {
    EXPECT_EQ(CompareNames(ordered[i], ordered[i]), 0);
    for (size_t j = i + 1; j < std::size(ordered); ++j) {
      EXPECT_LT(CompareNames(ordered[i], ordered[j]), 0) << i << " before " << j;
      EXPECT_GT(CompareNames(ordered[j], ordered[i]), 0) << j << " after " << i;
    }
  }
}

TEST(Wildcard, MatchesAsFindFirstDoes) {
  const std::tuple<std::u16string, std::u16string, bool> cases[] = {
      {u"*.*", u"noext", true},        {u"*", u".hidden", true},
      {u"*.PNG", u"cat.png", true},    {u"c?t.*", u"cat.jpg", true},
      {u"c?t.*", u"ct.jpg", false},    {u"a*b*c", u"aXXbYYbc", true},
      {u"a*b*c", u"aXXbYYb", false},   {u"*.png", u"\u00c4.PNG.txt", false},
      {u"\u00e4*", u"\u00c4x", false},  // only ASCII letters ignore case
  };
  for (const auto& [pattern, name, match] : cases)
    EXPECT_EQ(WildcardMatch(pattern, name), match) << Utf16ToUtf8(pattern) << " " << Utf16ToUtf8(name);
}

}  // namespace
}  // namespace platform

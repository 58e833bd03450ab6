// Rules for names: the order entries are listed in, and the patterns that select them.
#include "platform/name_order.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/find.h"
#include "platform/unicode.h"

namespace platform {
namespace {

TEST(NameOrder, UpperUnitIsTheSimpleMappingOfOneUnit) {
  struct Case {
    char16_t unit, upper;
  };
  // What the order below does not already show.
  const Case cases[] = {
      {u'a', u'A'},     {u'z', u'Z'},     {u'{', u'{'},      // the ends of the ASCII letters
      {0x00B5, 0x039C},                                      // micro sign to Greek capital mu
      {0x01C6, 0x01C4}, {0x01C5, 0x01C4},                    // dz with caron: small and title case
      {0x1FB3, 0x1FBC},                                      // its simple mapping is the title-case letter
      {0x0345, 0x0399}, {0xFF41, 0xFF21}, {0xD835, 0xD835},  // combining ypogegrammeni, fullwidth a, surrogate
  };
  for (const Case& c : cases) EXPECT_EQ(UpperUnit(c.unit), c.upper) << std::hex << int(c.unit);
}

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
  // A name that starts a longer one comes first, whatever follows it in memory.
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

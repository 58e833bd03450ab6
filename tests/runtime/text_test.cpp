#include "runtime/text.h"

#include <gtest/gtest.h>

namespace runtime {
namespace {

TEST(Text, RightClampsTheCount) {
  EXPECT_EQ(TextRight(u"abc", 5), u"abc");
  EXPECT_EQ(TextRight(u"abc", 3), u"abc");
  EXPECT_EQ(TextRight(u"abc", 2), u"bc");
  EXPECT_EQ(TextRight(u"abc", 0), u"");
  EXPECT_EQ(TextRight(u"abc", -2), u"");
  EXPECT_EQ(TextRight(u"abc", INT64_MIN), u"");
  EXPECT_EQ(TextRight(u"", 1), u"");
  EXPECT_EQ(TextRight(u"abc", INT64_MAX), u"abc");
}

TEST(Text, LengthCountsCodeUnits) {
  EXPECT_EQ(TextLength(u""), 0);
  EXPECT_EQ(TextLength(u"\U0001F600"), 2);
  EXPECT_EQ(TextRight(u"x\U0001F600", 1), Text(1, u'\xDE00'));  // half a pair, by design
}

TEST(Text, LowerIsLocaleFreeAndCoversNonAsciiCapitals) {
  EXPECT_EQ(TextLower(u"Photo.JPG"), u"photo.jpg");
  EXPECT_EQ(TextLower(u"\u00c4RGER.PNG"), u"\u00e4rger.png");
  EXPECT_EQ(TextLower(u"I"), u"i");  // no Turkish dotless i, whatever the locale
}

TEST(Text, FromIntegerCoversTheWholeRange) {
  EXPECT_EQ(TextFromInteger(0), u"0");
  EXPECT_EQ(TextFromInteger(100), u"100");
  EXPECT_EQ(TextFromInteger(-42), u"-42");
  EXPECT_EQ(TextFromInteger(INT64_MAX), u"9223372036854775807");
  EXPECT_EQ(TextFromInteger(INT64_MIN), u"-9223372036854775808");
}

TEST(Text, EqualsIsExact) {
  EXPECT_EQ(TextEquals(u"png", u"PNG"), 0);
  EXPECT_EQ(TextEquals(u"", Text()), 1);
  EXPECT_EQ(TextEquals(u"a", u"a "), 0);
  EXPECT_EQ(TextEquals(u"\u00e9", u"e\u0301"), 0);  // no normalisation
}

TEST(Text, ConcatJoinsWithNothingBetween) {
  EXPECT_EQ(TextConcat({u"a", Text(), u"b", u"c"}), u"abc");
  EXPECT_EQ(TextConcat({}), u"");
}

TEST(Text, ValueSemantics) {
  Text a = u"one";
  Text b = a;
  b += u"two";
  EXPECT_EQ(a, u"one");
}

TEST(Text, ZeroUnitEndsATextFromOutside) {
  EXPECT_EQ(TextFromUtf8(std::string("ab\0cd", 5)), u"ab");
  const char16_t units[] = {u'x', 0, u'y'};
  EXPECT_EQ(TextFromUnits(units), u"x");
  EXPECT_EQ(TextFromUnits(nullptr), u"");
}

}  // namespace
}  // namespace runtime

#include "runtime/text.h"

#include <gtest/gtest.h>

namespace runtime {
namespace {

TEST(Text, RightClampsTheCountAndCountsCodeUnits) {
  const std::pair<int64_t, Text> cases[] = {{5, u"abc"}, {3, u"abc"},      {2, u"bc"},         {0, u""},
                                            {-2, u""},   {INT64_MIN, u""}, {INT64_MAX, u"abc"}};
  for (const auto& [n, right] : cases) EXPECT_EQ(TextRight(u"abc", n), right) << n;
  EXPECT_EQ(TextLength(u"\U0001F600"), 2);
  EXPECT_EQ(TextRight(u"x\U0001F600", 1), Text(1, u'\xDE00'));  // half a pair, by design
}

TEST(Text, FromIntegerCoversTheWholeRange) {
  const std::pair<int64_t, Text> cases[] = {{0, u"0"},
                                            {100, u"100"},
                                            {-42, u"-42"},
                                            {INT64_MAX, u"9223372036854775807"},
                                            {INT64_MIN, u"-9223372036854775808"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(TextFromInteger(value), text);
}

TEST(Text, LowerEqualsConcatAndZeroUnits) {
  // No Turkish dotless i; every script lowers, and what has no lower case stays.
  EXPECT_EQ(TextLower(u"Photo.JPG \u00c4RGER I \u0391\u03a3 \u0414\u0416 \U00010400 \xDCC4"),
            u"photo.jpg \u00e4rger i \u03b1\u03c3 \u0434\u0436 \U00010428 \xDCC4");
#if !defined(_WIN32)
  // The compiled-in tables also lower what the Windows tables leave alone.
  EXPECT_EQ(TextLower(u"\u0130 \u1E9E"), u"i \u00df");
#endif
  EXPECT_EQ(TextEquals(u"png", u"PNG"), 0);
  EXPECT_EQ(TextEquals(u"", Text()), 1);
  EXPECT_EQ(TextEquals(u"a", u"a "), 0);
  EXPECT_EQ(TextEquals(u"\u00e9", u"e\u0301"), 0);           // no normalisation
  EXPECT_EQ(TextFromUtf8(std::string("ab\0cd", 5)), u"ab");  // a zero unit ends a text from outside
}

}  // namespace
}  // namespace runtime

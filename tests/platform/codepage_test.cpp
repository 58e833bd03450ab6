#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

class Codepage : public ::testing::Test {
 protected:
  void TearDown() override { SetAnsiCharset(""); }
};

TEST_F(Codepage, Cp1252MapsItsOwnCharactersAndReplacesOthersWithQuestionMarks) {
  ASSERT_TRUE(SetAnsiCharset("CP1252"));
  EXPECT_EQ(Utf16ToAnsi(u"a\u00e4\u20ac"), "a\xE4\x80");
  EXPECT_EQ(Utf16ToAnsi(u"x\u4e2d\U0001F600y"), "x??y");  // a surrogate pair is one character
  EXPECT_EQ(AnsiToUtf16("a\xE4\x80"), u"a\u00e4\u20ac");
}

TEST_F(Codepage, BytesTheSetCannotDecodeComeBackUnchanged) {
  ASSERT_TRUE(SetAnsiCharset("CP1252"));
  const std::string bytes = "\x81\x8D ok";  // undefined in CP1252
  EXPECT_EQ(Utf16ToAnsi(AnsiToUtf16(bytes)), bytes);
}

TEST_F(Codepage, Utf8SetIsLossless) {
  ASSERT_TRUE(SetAnsiCharset("UTF-8"));
  EXPECT_EQ(Utf16ToAnsi(u"\u00e4\u4e2d"), "\xC3\xA4\xE4\xB8\xAD");
  EXPECT_EQ(AnsiToUtf16("\xEF\xBB\xBFx"), u"\ufeffx");
}

TEST_F(Codepage, AsciiReplacesEverythingAbove127) {
  ASSERT_TRUE(SetAnsiCharset("ANSI_X3.4-1968"));
  EXPECT_EQ(Utf16ToAnsi(u"na\u00efve.png"), "na?ve.png");
}

TEST_F(Codepage, UnknownSetIsRefusedAndTheOldOneKept) {
  ASSERT_TRUE(SetAnsiCharset("CP1252"));
  EXPECT_FALSE(SetAnsiCharset("NO-SUCH-CHARSET"));
  EXPECT_EQ(AnsiCharset(), "CP1252");
}

}  // namespace
}  // namespace platform

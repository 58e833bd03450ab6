// The ANSI code page on Windows is the system's own; the tests run with the Western European one.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace platform {
namespace {

TEST(CodepageWin32, TheSystemsAnsiCodePageIsUsedUntilAnotherIsChosen) {
  ASSERT_TRUE(SetAnsiCharset(""));
  EXPECT_EQ(::GetACP(), 1252u);
  EXPECT_EQ(AnsiCharset(), "CP1252");
  EXPECT_EQ(Utf16ToAnsi(u"\u00e9t\u00e9 \u20ac"), "\xE9t\xE9 \x80");
  EXPECT_EQ(AnsiToUtf16("\xE9t\xE9 \x80"), u"\u00e9t\u00e9 \u20ac");
  ASSERT_TRUE(SetAnsiCharset("CP1251"));
  EXPECT_EQ(Utf16ToAnsi(u"\u0416"), "\xC6");
  EXPECT_TRUE(SetAnsiCharset(""));
  EXPECT_EQ(AnsiCharset(), "CP1252");
}

}  // namespace
}  // namespace platform

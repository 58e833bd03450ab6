// Text files on Windows: device names, files held by another handle and the system's ANSI code page.
#include <windows.h>

#include <gtest/gtest.h>

#include "files/text_file.h"
#include "platform/codepage.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace files {
namespace {

using runtime::AnyId;
using testsupport::ReadFileBytes;
using testsupport::W;

class TextFileWin32 : public ::testing::Test {
 protected:
  void SetUp() override { InitFileLibrary(); }
  void TearDown() override { CloseAllTextFiles(); }
  testsupport::TempDir dir_;
};

TEST_F(TextFileWin32, DeviceNamesAndFilesHeldElsewhereAreNeitherOpenedNorTouched) {
  for (const char16_t* name : {u"nul.txt", u"CON", u"aux.pov"}) {
    EXPECT_EQ(OpenTextFile(4, W(dir_.path()) + u"\\" + name), 0);
    EXPECT_EQ(CreateTextFile(AnyId, W(dir_.path()) + u"\\" + name), 0);
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));
  const std::string path = dir_.Write("held.txt", "keep\r\n");
  const HANDLE holder = ::CreateFileW(std::filesystem::path(path).wstring().c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(OpenTextFile(1, W(path)), 0);
  EXPECT_EQ(CreateTextFile(2, W(path)), 0);
  ::CloseHandle(holder);
  EXPECT_EQ(ReadFileBytes(path), "keep\r\n");
}

TEST_F(TextFileWin32, AnsiLinesUseTheSystemsCodePage) {
  ASSERT_TRUE(platform::SetAnsiCharset(""));
  const Text path = W(dir_.path()) + u"\\\u00e9t\u00e9.txt";
  ASSERT_NE(CreateTextFile(5, path), 0);
  WriteLineAs(5, u"caf\u00e9 \u20ac \u4e2d", EncodingAscii);
  CloseTextFile(5);
  EXPECT_EQ(ReadFileBytes(dir_.path() / std::filesystem::path(u"\u00e9t\u00e9.txt")), "caf\xE9 \x80 ?\r\n");
  ASSERT_NE(OpenTextFile(5, path), 0);
  EXPECT_EQ(ReadLine(5, EncodingAscii), u"caf\u00e9 \u20ac ?");
}

}  // namespace
}  // namespace files

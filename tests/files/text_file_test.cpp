// Text files: lines byte-exact in every encoding, with a buffer and on the path taken without one.
#include "files/text_file.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/unicode.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace files {
namespace {

using runtime::AnyId;
using testsupport::ReadFileBytes;
using testsupport::T;
using testsupport::Widen;
using namespace std::string_literals;
using Lines = std::vector<Text>;

const int64_t kEncodings[] = {0, EncodingUtf8, EncodingAscii, EncodingUtf16};

Lines ReadAllLines(ObjectNumber number, int64_t encoding) {
  Lines lines;
  for (int guard = 0; !EndOfFile(number) && guard < 100000; ++guard) lines.push_back(ReadLine(number, encoding));
  return lines;
}

class TextFile : public ::testing::Test {
 protected:
  void SetUp() override { InitFileLibrary(); }
  void TearDown() override {
    CloseAllTextFiles();
    detail::FailBufferAllocationForTesting(false);
    platform::FailWritesAfterForTesting(-1);
    platform::SetAnsiCharset("");
  }
  Text PathOf(const std::string& name) const { return T(dir_.str() + "/" + name); }
  std::string Bytes(const std::string& name) const { return ReadFileBytes(dir_.str() + "/" + name); }
  // The unbuffered path pushes back by moving the descriptor and reports the end as -1.
  template <typename Body>
  void BothPaths(Body body) {
    for (bool buffered : {true, false}) {
      SCOPED_TRACE(buffered ? "buffered" : "unbuffered");
      detail::FailBufferAllocationForTesting(!buffered);
      body(buffered);
      CloseAllTextFiles();
    }
  }

  testsupport::TempDir dir_;
};

TEST_F(TextFile, LineEndsAndEndOfFileInEveryReader) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"a\r\nb\nc", {"a", "b", "c"}}, {"a\rb", {"a", "b"}},       {"a\r", {"a"}}, {"a\n\n", {"a", ""}},
      {"a\0b\n"s, {"a", "b"}},        {"\r\r\n\n", {"", "", ""}}, {"", {}},
  };
  BothPaths([&](bool buffered) {
    for (int64_t encoding : kEncodings) {
      for (const auto& [bytes, lines] : cases) {
        SCOPED_TRACE(::testing::Message() << "encoding " << encoding << " " << ::testing::PrintToString(bytes));
        ASSERT_NE(OpenTextFile(4, T(dir_.Write("l.txt", encoding == EncodingUtf16 ? Widen(bytes) : bytes))), 0);
        for (const std::string& expected : lines) {
          EXPECT_EQ(EndOfFile(4), 0);  // an unterminated last line is still something to read
          EXPECT_EQ(ReadLine(4, encoding), T(expected));
        }
        EXPECT_EQ(EndOfFile(4), buffered ? 1 : -1);
        EXPECT_EQ(ReadLine(4, encoding), u"");
        CloseTextFile(4);
      }
    }
  });
}

// What each decoder makes of bytes that are not plain lines.
TEST_F(TextFile, DecodingRules) {
  struct Case {
    std::string bytes;
    int64_t encoding;
    Lines lines;
  };
  const Case cases[] = {
      {"\xEF\xBB\xBF|\n", 0, {u"\uFEFF|"}},  // a byte-order mark is read as characters
      {"\x80x\xF8\xBF\n", 0, {u"?x??"}},     // bytes that cannot start a sequence
      {"\xF0\x9F\x98\x80\xC3\xA4\n", EncodingUtf8, {u"\U0001F600\u00E4"}},
      {"caf\xE9\r\nnext", 0, {u"caf\xDCE9", u"next"}},  // a broken sequence keeps the line end
      {"tail\xE2\x82", 0, {u"tail"}},                   // cut short: dropped
      {"a\0\r\0b\0c"s, EncodingUtf16, {u"a", u"b"}},    // a lone last byte is no unit
      {"a\0\r\0x"s, EncodingUtf16, {u"a"}},
  };
  ASSERT_TRUE(platform::SetAnsiCharset("CP1252"));
  BothPaths([&](bool) {
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::PrintToString(c.bytes));
      ASSERT_NE(OpenTextFile(2, T(dir_.Write("d.txt", c.bytes))), 0);
      EXPECT_EQ(ReadAllLines(2, c.encoding), c.lines);
      CloseTextFile(2);
    }
  });
}

// Long lines, a CR that is the last byte of a buffer with its LF in the next refill, and a UTF-16
// unit after a CR that straddles a refill from an odd offset and must be given back.
TEST_F(TextFile, LinesAcrossBufferBoundaries) {
  const std::string a(5000, 'a'), b(9000, 'b'), c(4095, 'c'), odd(2046, 'o');
  const std::string bytes = c + "\r\n" + a + "\r\n" + b + "\nend";
  const Lines expected = {T(c), T(a), T(b), u"end"};
  BothPaths([&](bool) {
    ASSERT_NE(OpenTextFile(1, T(dir_.Write("n.txt", bytes))), 0);
    ASSERT_NE(OpenTextFile(2, T(dir_.Write("w.txt", Widen(bytes)))), 0);
    ASSERT_NE(OpenTextFile(3, T(dir_.Write("o.txt", "\n" + Widen(odd + "\rbc\n")))), 0);
    EXPECT_EQ(ReadAllLines(1, EncodingUtf8), expected);
    EXPECT_EQ(ReadAllLines(2, EncodingUtf16), expected);
    EXPECT_EQ(ReadLine(3, EncodingAscii), u"");
    EXPECT_EQ(ReadAllLines(3, EncodingUtf16), (Lines{T(odd), u"bc"}));
  });
}

TEST_F(TextFile, OpenModesCreateEmptyKeepAndRefuse) {
  const std::string path = dir_.Write("existing.txt", "old\r\n");
  ASSERT_NE(OpenTextFile(1, T(path)), 0);
  EXPECT_EQ(ReadLine(1, 0), u"old");
  // Without sharing: a second open of the held file fails and a refused create does not empty it.
  EXPECT_EQ(OpenTextFile(2, T(path)), 0);
  EXPECT_EQ(CreateTextFile(AnyId, T(path)), 0);
  CloseTextFile(1);
  EXPECT_EQ(ReadFileBytes(path), "old\r\n");
  ASSERT_NE(CreateTextFile(1, T(path)), 0);
  WriteLine(1, u"one");
  CloseTextFile(1);
  EXPECT_EQ(ReadFileBytes(path), "one\r\n");
  ASSERT_NE(OpenTextFile(AnyId, PathOf("missing.txt")), 0);
  EXPECT_TRUE(std::filesystem::is_regular_file(dir_.path() / "missing.txt"));

  // Failed opens, and numbers that name no open file, do nothing.
  EXPECT_EQ(OpenTextFile(5, T(dir_.str())), 0);  // a folder
  for (const char* bad : {"", "no/such/x", "existing.txt/x"}) EXPECT_EQ(CreateTextFile(6, PathOf(bad)), 0);
  for (ObjectNumber number : {ObjectNumber{2}, ObjectNumber{5}, ObjectNumber{6}, ObjectNumber{-7}, AnyId}) {
    SCOPED_TRACE(number);
    EXPECT_EQ(EndOfFile(number), 0);
    EXPECT_EQ(ReadLine(number, 0), u"");
    WriteLineAs(number, u"dropped", EncodingUtf16);
    if (number != AnyId) CloseTextFile(number);
  }
}

TEST_F(TextFile, ClosingAllOrReusingANumberWritesEveryPendingByte) {
  ASSERT_NE(CreateTextFile(0, PathOf("f0")), 0);
  const ObjectNumber any = CreateTextFile(AnyId, PathOf("a1"));
  ASSERT_NE(any, 0);
  WriteLine(0, u"f0");
  WriteLine(any, u"a1");
  CloseTextFile(AnyId);
  EXPECT_EQ(Bytes("f0") + Bytes("a1"), "f0\r\na1\r\n");
  EXPECT_EQ(EndOfFile(any), 0);  // closed, not merely at the end
  ASSERT_NE(CreateTextFile(7, PathOf("f0")), 0);
  WriteLine(7, u"first");
  ASSERT_NE(CreateTextFile(7, PathOf("a1")), 0);  // the old file is closed first
  EXPECT_EQ(Bytes("f0"), "first\r\n");
}

TEST_F(TextFile, EncodingsWrittenAndReadBack) {
  ASSERT_TRUE(platform::SetAnsiCharset("CP1252"));
  ASSERT_NE(CreateTextFile(5, PathOf("scene.pov")), 0);
  WriteLine(5, u"\u00C4 \u20AC");                          // default: UTF-8
  WriteLineAs(5, u"\u00C4 \u20AC \u4E2D", EncodingAscii);  // CP1252, "?" for what it lacks
  WriteLineAs(5, u"\u00C4", EncodingUtf16);
  WriteLineAs(5, u"\u00E9", 77);                            // any other value is ANSI
  WriteLineAs(5, u"caf\xDCE9 \xDCC0\xDCAF", EncodingUtf8);  // byte escapes go out as their bytes
  WriteLine(5, TextView(u"ab\0cd", 5));                     // a text ends at its zero unit
  CloseTextFile(5);
  EXPECT_EQ(Bytes("scene.pov"),
            "\xC3\x84 \xE2\x82\xAC\r\n\xC4 \x80 ?\r\n\xC4\x00\r\x00\n\x00\xE9\r\ncaf\xE9 \xC0\xAF\r\nab\r\n"s);
  ASSERT_NE(OpenTextFile(5, PathOf("scene.pov")), 0);
  EXPECT_EQ(ReadLine(5, 0), u"\u00C4 \u20AC");
  EXPECT_EQ(ReadLine(5, EncodingAscii), u"\u00C4 \u20AC ?");
  EXPECT_EQ(ReadLine(5, EncodingUtf16), u"\u00C4");
  EXPECT_EQ(ReadLine(5, 1), u"\u00E9");
  EXPECT_EQ(ReadLine(5, EncodingUtf8), u"caf\xDCE9 \xDCC0\xDCAF");
  EXPECT_EQ(ReadLine(5, EncodingUtf8), u"ab");
}

// Plain characters are moved many at a time: the first unit past ASCII, and a byte escape (past what a
// signed unit holds), must be noticed wherever they stand in such a run, on the way out and back in.
TEST_F(TextFile, UnitsBeyondAsciiAnywhereInARunRoundTrip) {
  Lines lines;
  std::string expected;
  for (char16_t unit : {u'\u0080', u'\xDCE9'}) {
    for (size_t at = 0; at < 40; ++at) {
      lines.push_back(Text(40, u'x'));
      lines.back()[at] = unit;
      expected += platform::Utf16ToUtf8(lines.back()) + "\r\n";
    }
  }
  const ObjectNumber number = CreateTextFile(AnyId, PathOf("runs.txt"));
  for (const Text& line : lines) WriteLine(number, line);
  CloseTextFile(number);
  EXPECT_EQ(Bytes("runs.txt"), expected);
  ASSERT_NE(OpenTextFile(1, PathOf("runs.txt")), 0);
  EXPECT_EQ(ReadAllLines(1, EncodingUtf8), lines);
}

#if defined(_WIN32)
TEST_F(TextFile, DeviceNamesAndFilesHeldElsewhereAreNeitherOpenedNorTouched) {
  for (const char16_t* name : {u"nul.txt", u"CON", u"aux.pov"}) {
    EXPECT_EQ(OpenTextFile(4, testsupport::W(dir_.path()) + u"\\" + name), 0);
    EXPECT_EQ(CreateTextFile(AnyId, testsupport::W(dir_.path()) + u"\\" + name), 0);
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));
  const std::string path = dir_.Write("held.txt", "keep\r\n");
  const HANDLE holder = ::CreateFileW(std::filesystem::path(path).wstring().c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(OpenTextFile(1, testsupport::W(path)), 0);
  EXPECT_EQ(CreateTextFile(2, testsupport::W(path)), 0);
  ::CloseHandle(holder);
  EXPECT_EQ(ReadFileBytes(path), "keep\r\n");
}
#else
// A disk that fills up: the failure is remembered, even when the last flush fails, and told at the end.
TEST_F(TextFile, FailedWritesAreRememberedAndToldWhenFinishing) {
  struct Case {
    int64_t room;  // bytes the "disk" takes
    bool buffered;
    int64_t error_while_open;  // what TextFileError says before the last flush
    int64_t error_at_finish;
  };
  const std::string line(98, 'x');  // 100 bytes with CR LF; 60 lines: 6000 bytes, one buffer flush on the way
  const Case cases[] = {{6000, true, 0, 0},
                        {6000, false, 0, 0},
                        {0, true, ENOSPC, ENOSPC},
                        {5999, true, 0, ENOSPC},
                        {3000, false, ENOSPC, ENOSPC}};
  for (const Case& c : cases) {
    SCOPED_TRACE("room " + std::to_string(c.room) + (c.buffered ? " buffered" : " unbuffered"));
    detail::FailBufferAllocationForTesting(!c.buffered);
    const std::string path = dir_.str() + "/full.txt";
    ASSERT_NE(CreateTextFile(1, T(path)), 0);
    platform::FailWritesAfterForTesting(c.room);
    for (int i = 0; i < 60; ++i) WriteLine(1, T(line));
    EXPECT_EQ(TextFileError(1), c.error_while_open);
    EXPECT_EQ(FinishTextFile(1), c.error_at_finish);
    platform::FailWritesAfterForTesting(-1);
    EXPECT_EQ(TextFileError(1), 0);  // the number is free again
    EXPECT_EQ(static_cast<int64_t>(ReadFileBytes(path).size()), std::min<int64_t>(c.room, 6000));
  }
  EXPECT_EQ(FinishTextFile(7), EBADF);
}

TEST_F(TextFile, CreateNewRefusesATakenNameAndNeverFollowsALink) {
  ASSERT_EQ(mkfifo((dir_.str() + "/fifo").c_str(), 0600), 0);
  EXPECT_EQ(OpenTextFile(4, PathOf("fifo")), 0);  // refused before it can block the first read
  const std::string taken = dir_.Write("taken.txt", "keep");
  std::filesystem::create_symlink(dir_.path() / "target.txt", dir_.path() / "dangling");
  for (const char* name : {"taken.txt", "dangling"}) {
    SCOPED_TRACE(name);
    errno = 0;
    EXPECT_EQ(CreateNewTextFile(AnyId, PathOf(name)), 0);
    EXPECT_EQ(errno, EEXIST);
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "target.txt"));
  EXPECT_EQ(ReadFileBytes(taken), "keep");
  ASSERT_NE(CreateNewTextFile(2, PathOf("fresh.txt")), 0);
  WriteLine(2, u"new");
  EXPECT_EQ(FinishTextFile(2), 0);
  EXPECT_EQ(ReadFileBytes(dir_.str() + "/fresh.txt"), "new\r\n");
}
#endif

}  // namespace
}  // namespace files

#include "files/text_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/unicode.h"
#include "runtime/heap.h"
#include "tests/support/temp_dir.h"

namespace files {
namespace {

using runtime::AnyId;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using namespace std::string_literals;

Text T(const std::string& utf8) { return runtime::TextFromUtf8(utf8); }

// The bytes as UTF-16 units, one unit per byte: the same line structure in the wide encoding.
std::string Widen(const std::string& bytes) {
  std::string wide;
  for (char c : bytes) wide += {c, '\0'};
  return wide;
}

std::vector<Text> ReadAllLines(ObjectNumber number, int64_t encoding) {
  std::vector<Text> lines;
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

  TempDir dir_;
};

// Every line-end case, through each reader and with and without the buffer (the unbuffered path
// pushes back by moving the descriptor, and reports the end as -1).
TEST_F(TextFile, LineEndsAndEndOfFileInEveryReader) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"a\r\nb\nc", {"a", "b", "c"}},
      {"a\rb", {"a", "b"}},
      {"a\r", {"a"}},
      {"a\n\n", {"a", ""}},
      {"a\0b\n"s, {"a", "b"}},
      {"\r\r\n\n", {"", "", ""}},
      {"", {}},
  };
  for (bool buffered : {true, false}) {
    detail::FailBufferAllocationForTesting(!buffered);
    for (int64_t encoding : {EncodingAscii, EncodingUtf8, EncodingUtf16, int64_t{0}}) {
      for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "buffered " << buffered << " encoding " << encoding << " bytes "
                                          << ::testing::PrintToString(c.bytes));
        const std::string path = dir_.Write("lines.txt", encoding == EncodingUtf16 ? Widen(c.bytes) : c.bytes);
        ASSERT_NE(OpenTextFile(4, T(path)), 0);
        for (const std::string& expected : c.lines) {
          EXPECT_EQ(EndOfFile(4), 0);  // not at the end while a line, even an unterminated one, is left
          EXPECT_EQ(ReadLine(4, encoding), T(expected));
        }
        EXPECT_EQ(EndOfFile(4), buffered ? 1 : -1);
        EXPECT_EQ(ReadLine(4, encoding), u"");
        EXPECT_EQ(EndOfFile(4), buffered ? 1 : -1);
        CloseTextFile(4);
      }
    }
  }
}

TEST_F(TextFile, LinesAcrossBufferBoundaries) {
  const std::string a(5000, 'a'), b(9000, 'b'), c(4095, 'c');
  // c's CR is the last byte of a buffer and its LF the first of the next refill.
  const std::string bytes = c + "\r\n" + a + "\r\n" + b + "\nend";
  const std::vector<Text> expected = {T(c), T(a), T(b), u"end"};
  const std::string narrow = dir_.Write("long.txt", bytes), wide = dir_.Write("long16.txt", Widen(bytes));
  for (bool buffered : {true, false}) {
    SCOPED_TRACE(buffered ? "buffered" : "unbuffered");
    detail::FailBufferAllocationForTesting(!buffered);
    const ObjectNumber narrow_number = OpenTextFile(AnyId, T(narrow));
    const ObjectNumber wide_number = OpenTextFile(AnyId, T(wide));
    ASSERT_NE(narrow_number, 0);
    ASSERT_NE(wide_number, 0);
    EXPECT_EQ(ReadAllLines(narrow_number, EncodingUtf8), expected);
    EXPECT_EQ(ReadAllLines(wide_number, EncodingUtf16), expected);
    CloseAllTextFiles();
  }
}

// A UTF-16 line read from an odd offset: the unit after a CR straddles a refill and must be given back
// although half of it has left the buffer.
TEST_F(TextFile, UnitPushedBackAcrossARefill) {
  const std::string units = std::string(2046, 'a') + "\rbc\n";
  ASSERT_NE(OpenTextFile(1, T(dir_.Write("odd.txt", "\n" + Widen(units)))), 0);
  EXPECT_EQ(ReadLine(1, EncodingAscii), u"");
  EXPECT_EQ(ReadLine(1, EncodingUtf16), T(std::string(2046, 'a')));
  EXPECT_EQ(ReadLine(1, EncodingUtf16), u"bc");
  EXPECT_NE(EndOfFile(1), 0);
}

TEST_F(TextFile, Utf8ReaderRules) {
  const std::string bytes =
      "\xEF\xBB\xBF" "bom\n"              // a byte-order mark stays part of the first line
      "\x80x\xF8\xBF\n"                   // bytes that cannot start a sequence stand for "?"
      "\xF0\x9F\x98\x80\xC3\xA4\n"        // four- and two-byte sequences
      "caf\xE9\r\nnext\n"                 // a broken sequence does not swallow the line end
      "\xC0\xAF|\xED\xA0\x80\n"           // overlong form and a surrogate: kept as their bytes
      "tail\xE2\x82"s;                    // cut short by the end of the file: dropped
  ASSERT_NE(OpenTextFile(2, T(dir_.Write("utf8.txt", bytes))), 0);
  EXPECT_EQ(ReadAllLines(2, 0), (std::vector<Text>{u"\uFEFFbom", u"?x??", u"\U0001F600\u00E4", u"caf\xDCE9", u"next",
                                                   u"\xDCC0\xDCAF|\xDCED\xDCA0\xDC80", u"tail"}));
  CloseTextFile(2);

  // Lines kept as byte escapes go back out as the bytes they came from.
  const std::string broken = "caf\xE9 \xC0\xAF\r\n";
  ASSERT_NE(OpenTextFile(2, T(dir_.Write("broken.txt", broken))), 0);
  const Text line = ReadLine(2, EncodingUtf8);
  ASSERT_NE(CreateTextFile(3, PathOf("copy.txt")), 0);
  WriteLine(3, line);
  CloseAllTextFiles();
  EXPECT_EQ(ReadFileBytes(dir_.str() + "/copy.txt"), broken);
}

TEST_F(TextFile, ByteOrderMarkReadAsAnsiAndOddUtf16TailDropped) {
  ASSERT_TRUE(platform::SetAnsiCharset("CP1252"));
  ASSERT_NE(OpenTextFile(0, T(dir_.Write("bom.txt", "\xEF\xBB\xBFhi\r\n"))), 0);
  EXPECT_EQ(ReadLine(0, EncodingAscii), u"\u00EF\u00BB\u00BFhi");
  EXPECT_NE(EndOfFile(0), 0);

  ASSERT_NE(OpenTextFile(0, T(dir_.Write("odd16.txt", "a\0\r\0b\0c"s))), 0);
  EXPECT_EQ(ReadLine(0, EncodingUtf16), u"a");
  EXPECT_EQ(ReadLine(0, EncodingUtf16), u"b");  // the lone trailing byte is not a unit
  EXPECT_NE(EndOfFile(0), 0);
  ASSERT_NE(OpenTextFile(0, T(dir_.Write("odd16cr.txt", "a\0\r\0x"s))), 0);
  EXPECT_EQ(ReadLine(0, EncodingUtf16), u"a");
  EXPECT_NE(EndOfFile(0), 0);
}

// The same reads and writes give the same bytes with and without the buffer: writing after a read
// lands where the reader stood, and reading after a write continues behind what was written.
TEST_F(TextFile, InterleavedReadsAndWritesLandAtTheLogicalPosition) {
  const std::string original = "line1\r\nline2\r\nline3\r\n";
  for (bool buffered : {true, false}) {
    SCOPED_TRACE(buffered ? "buffered" : "unbuffered");
    detail::FailBufferAllocationForTesting(!buffered);
    const std::string path = dir_.Write("mixed.txt", original);
    ASSERT_NE(OpenTextFile(6, T(path)), 0);
    EXPECT_EQ(ReadLine(6, 0), u"line1");
    WriteLine(6, u"XX");  // overwrites "line" of line2
    EXPECT_EQ(ReadLine(6, 0), u"2");
    WriteLine(6, u"");  // overwrites "li"
    EXPECT_EQ(EndOfFile(6), 0);
    EXPECT_EQ(ReadLine(6, 0), u"ne3");
    EXPECT_NE(EndOfFile(6), 0);
    WriteLine(6, u"appended");
    CloseTextFile(6);
    EXPECT_EQ(ReadFileBytes(path), "line1\r\nXX\r\n2\r\n\r\nne3\r\nappended\r\n");
  }
}

TEST_F(TextFile, EndOfFileAfterWritingFlushesAndReportsTheEnd) {
  const std::string path = dir_.str() + "/fresh.txt";
  ASSERT_NE(CreateTextFile(2, T(path)), 0);
  WriteLine(2, u"one");
  WriteLine(2, u"two");
  EXPECT_NE(EndOfFile(2), 0);
  // Already on disk while the file is still open (its size is read without opening it, since
  // Windows lets nobody else open a file held without sharing).
  EXPECT_EQ(std::filesystem::file_size(path), 10u);
  CloseTextFile(2);
  EXPECT_EQ(ReadFileBytes(path), "one\r\ntwo\r\n");
}

TEST_F(TextFile, CreateEmptiesAndOpenKeepsOrCreates) {
  const std::string path = dir_.Write("existing.txt", "old content\r\n");
  ASSERT_NE(OpenTextFile(1, T(path)), 0);
  EXPECT_EQ(ReadLine(1, 0), u"old content");
  CloseTextFile(1);
  const int64_t handle = CreateTextFile(1, T(path));
  EXPECT_GE(handle, 3);  // a fixed number gets the platform handle
  EXPECT_NE(EndOfFile(1), 0);
  CloseTextFile(1);
  EXPECT_EQ(ReadFileBytes(path), "");

  const std::string missing = dir_.str() + "/missing.txt";
  const int64_t number = OpenTextFile(AnyId, T(missing));
  ASSERT_NE(number, 0);
  EXPECT_NE(EndOfFile(number), 0);
  CloseTextFile(number);
  EXPECT_TRUE(std::filesystem::is_regular_file(missing));
}

TEST_F(TextFile, SecondOpenOfAnOpenFileFailsAndChangesNothing) {
  const std::string path = dir_.Write("held.txt", "keep\r\n");
  ASSERT_NE(OpenTextFile(1, T(path)), 0);
  EXPECT_EQ(OpenTextFile(2, T(path)), 0);
  EXPECT_EQ(CreateTextFile(AnyId, T(path)), 0);
  EXPECT_EQ(EndOfFile(2), 0);
  EXPECT_EQ(std::filesystem::file_size(path), 6u);  // the refused create did not empty it
  CloseTextFile(1);
  ASSERT_NE(OpenTextFile(2, T(path)), 0);
  EXPECT_EQ(ReadLine(2, 0), u"keep");
}

TEST_F(TextFile, NumbersWithoutAnOpenFileDoNothing) {
  const std::string file_as_folder = dir_.Write("plain", "x");
  EXPECT_EQ(CreateTextFile(3, PathOf("no/such/folder.txt")), 0);
  EXPECT_EQ(CreateTextFile(AnyId, T(file_as_folder + "/x.txt")), 0);
  EXPECT_EQ(OpenTextFile(5, T(dir_.str())), 0);  // a folder
  EXPECT_EQ(OpenTextFile(6, u""), 0);

  for (ObjectNumber number : {ObjectNumber{3}, ObjectNumber{4}, ObjectNumber{5}, ObjectNumber{6}, ObjectNumber{99},
                              ObjectNumber{-7}, ObjectNumber{123456789}, AnyId}) {
    SCOPED_TRACE(number);
    EXPECT_EQ(EndOfFile(number), 0);
    EXPECT_EQ(ReadLine(number, 0), u"");
    WriteLine(number, u"dropped");
    WriteLineAs(number, u"dropped", EncodingUtf16);
    if (number != AnyId) CloseTextFile(number);
  }
  EXPECT_EQ(ReadFileBytes(file_as_folder), "x");
}

TEST_F(TextFile, CloseAllWritesEveryPendingByteAndReuseFlushesTheOldFile) {
  const std::vector<std::string> paths = {dir_.str() + "/f0", dir_.str() + "/f5", dir_.str() + "/any1",
                                          dir_.str() + "/any2"};
  ASSERT_NE(CreateTextFile(0, T(paths[0])), 0);
  ASSERT_NE(CreateTextFile(5, T(paths[1])), 0);
  const ObjectNumber any1 = CreateTextFile(AnyId, T(paths[2]));
  const ObjectNumber any2 = CreateTextFile(AnyId, T(paths[3]));
  ASSERT_NE(any1, 0);
  ASSERT_NE(any2, 0);
  ASSERT_NE(any1, any2);
  const std::vector<ObjectNumber> numbers = {0, 5, any1, any2};
  for (size_t i = 0; i < numbers.size(); ++i) WriteLine(numbers[i], T("file " + std::to_string(i)));
  for (const std::string& path : paths) EXPECT_EQ(ReadFileBytes(path), "");  // still pending
  CloseTextFile(AnyId);
  for (size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(ReadFileBytes(paths[i]), "file " + std::to_string(i) + "\r\n");
  for (ObjectNumber number : numbers) EXPECT_EQ(EndOfFile(number), 0);  // closed, not merely at the end

  // Reusing a live fixed number closes the old file first, pending bytes included.
  ASSERT_NE(CreateTextFile(7, T(paths[0])), 0);
  WriteLine(7, u"first");
  ASSERT_NE(CreateTextFile(7, T(paths[1])), 0);
  EXPECT_EQ(ReadFileBytes(paths[0]), "first\r\n");
}

TEST_F(TextFile, ClosingGivesTheBufferBack) {
  const std::string path = dir_.str() + "/heap.txt";
  ASSERT_NE(CreateTextFile(9, T(path)), 0);
  CloseTextFile(9);
  const size_t before = runtime::HeapBlockCount();
  ASSERT_NE(OpenTextFile(9, T(path)), 0);
  EXPECT_EQ(runtime::HeapBlockCount(), before + 1);
  CloseTextFile(9);
  EXPECT_EQ(runtime::HeapBlockCount(), before);
}

TEST_F(TextFile, MixedEncodingsInOneFileGiveTheExactBytes) {
  ASSERT_TRUE(platform::SetAnsiCharset("CP1252"));
  const std::string path = dir_.str() + "/scene.pov";
  ASSERT_NE(CreateTextFile(5, T(path)), 0);
  WriteLine(5, u"\u00C4 \u20AC");                           // default: UTF-8
  WriteLineAs(5, u"\u00C4 \u20AC \u4E2D", EncodingAscii);    // CP1252, "?" for what it lacks
  WriteLineAs(5, u"\u00C4", EncodingUtf16);
  WriteLineAs(5, u"\u00E9", 77);                              // any other value is ANSI
  WriteLineAs(5, u"", EncodingUtf8);
  WriteLine(5, TextView(u"ab\0cd", 5));                                 // a text ends at its zero unit
  CloseTextFile(5);
  const std::string expected =
      "\xC3\x84 \xE2\x82\xAC\r\n"
      "\xC4 \x80 ?\r\n"
      "\xC4\x00\r\x00\n\x00"
      "\xE9\r\n"
      "\r\n"
      "ab\r\n"s;
  EXPECT_EQ(ReadFileBytes(path), expected);

  ASSERT_NE(OpenTextFile(5, T(path)), 0);
  EXPECT_EQ(ReadLine(5, 0), u"\u00C4 \u20AC");
  EXPECT_EQ(ReadLine(5, EncodingAscii), u"\u00C4 \u20AC ?");
  EXPECT_EQ(ReadLine(5, EncodingUtf16), u"\u00C4");
  EXPECT_EQ(ReadLine(5, 1), u"\u00E9");
  EXPECT_EQ(ReadLine(5, EncodingUtf8), u"");
  EXPECT_EQ(ReadLine(5, EncodingUtf8), u"ab");
  EXPECT_NE(EndOfFile(5), 0);
}

// Long texts are narrowed and widened many units at a time: a unit that is not plain ASCII must be
// noticed wherever it stands in such a run.
TEST_F(TextFile, EveryUnitOfALongTextSurvivesWhereverItStands) {
  const std::string path = dir_.str() + "/units.txt";
  for (char16_t special : {u'\u00E4', u'\u4E2D', u'\uFFFD', u'\xDCE9', u'\u0080', u'\u007F', u'\0'}) {
    for (size_t position : {0, 7, 15, 16, 17, 31, 40}) {
      SCOPED_TRACE(::testing::Message() << "unit " << int(special) << " at " << position);
      Text text = T(std::string(48, 'q'));
      text[position] = special;
      const Text kept = text.substr(0, text.find(u'\0'));
      ASSERT_NE(CreateTextFile(1, T(path)), 0);
      WriteLine(1, text);
      CloseTextFile(1);
      ASSERT_EQ(ReadFileBytes(path), platform::Utf16ToUtf8(kept) + "\r\n");
      ASSERT_NE(OpenTextFile(1, T(path)), 0);
      EXPECT_EQ(ReadLine(1, 0), kept);  // byte escapes included
      CloseTextFile(1);
    }
  }
}

// Random lines of every length and encoding, written and read back, against the bytes expected.
TEST_F(TextFile, RandomLinesRoundTripWithAndWithoutTheBuffer) {
  std::mt19937 random(12345);
  struct Line {
    Text text;
    int64_t encoding;
  };
  std::vector<Line> lines;
  std::string expected;
  for (int i = 0; i < 400; ++i) {
    const int64_t encoding = std::vector<int64_t>{0, EncodingUtf8, EncodingAscii, EncodingUtf16}[random() % 4];
    const size_t length = random() % 8 == 0 ? random() % 9000 : random() % 40;
    std::string ascii;
    for (size_t k = 0; k < length; ++k) ascii.push_back(static_cast<char>(' ' + random() % 95));
    Text text = T(ascii);
    std::string utf8 = ascii, utf16 = Widen(ascii);
    if (encoding != EncodingAscii && length > 0) {  // one character beyond ASCII where it can be held
      text.back() = u'\u00E4';
      utf8 = ascii.substr(0, length - 1) + "\xC3\xA4";
      utf16 = Widen(ascii.substr(0, length - 1)) + "\xE4\x00"s;
    }
    lines.push_back({text, encoding});
    expected += encoding == EncodingUtf16 ? utf16 + Widen("\r\n") : utf8 + "\r\n";
  }
  for (bool buffered : {true, false}) {
    SCOPED_TRACE(buffered ? "buffered" : "unbuffered");
    detail::FailBufferAllocationForTesting(!buffered);
    const std::string path = dir_.str() + "/random.txt";
    const ObjectNumber number = CreateTextFile(AnyId, T(path));
    ASSERT_NE(number, 0);
    for (const Line& line : lines) WriteLineAs(number, line.text, line.encoding);
    CloseTextFile(number);
    ASSERT_EQ(ReadFileBytes(path), expected);
    const ObjectNumber reader = OpenTextFile(AnyId, T(path));
    for (size_t i = 0; i < lines.size(); ++i) ASSERT_EQ(ReadLine(reader, lines[i].encoding), lines[i].text) << i;
    EXPECT_NE(EndOfFile(reader), 0);
    CloseTextFile(reader);
  }
}

// Hostile bytes under random reads and writes: the buffered path (scanning runs in the buffer) and
// the unbuffered one (one platform call per byte) must give the same lines and leave the same file.
TEST_F(TextFile, BufferedAndUnbufferedAgreeOnRandomBytes) {
  std::mt19937 random(777);
  const char interesting[] = {'\0', '\n', '\r', 'a', '\x80', '\xC3', '\xE2', '\xF0', '\xFF', '\xBF'};
  for (int round = 0; round < 20; ++round) {
    std::string bytes(random() % 12000, '\0');
    for (char& c : bytes) c = random() % 2 ? interesting[random() % sizeof interesting] : static_cast<char>(random());
    const uint32_t seed = random();
    std::string results[2], files[2];
    for (int buffered = 0; buffered < 2; ++buffered) {
      detail::FailBufferAllocationForTesting(!buffered);
      const std::string path = dir_.Write("hostile.bin", bytes);
      ASSERT_NE(OpenTextFile(3, T(path)), 0);
      std::mt19937 steps(seed);
      for (int step = 0; step < 300; ++step) {
        const int64_t encoding = std::vector<int64_t>{0, EncodingUtf8, EncodingAscii, EncodingUtf16}[steps() % 4];
        if (steps() % 10 == 0) {
          WriteLineAs(3, u"w\u00E4", encoding);
        } else {
          results[buffered] += runtime::TextToUtf8(ReadLine(3, encoding)) + "|" + (EndOfFile(3) ? "E" : "") + "|";
        }
      }
      CloseTextFile(3);
      files[buffered] = ReadFileBytes(path);
    }
    ASSERT_EQ(results[0], results[1]) << round;
    ASSERT_EQ(files[0], files[1]) << round;
  }
}

TEST_F(TextFile, TransfersAreSplitAndEndAtTheEndOfTheFile) {
  const std::string path = dir_.str() + "/transfer.bin";
  platform::FileOpenOptions options;
  options.mode = platform::FileMode::CreateAlways;
  options.access = platform::AccessRead | platform::AccessWrite;
  const platform::FileHandle file = platform::FileOpen(T(path), options);
  ASSERT_GE(file, 3);
  const std::string data = "0123456789";
  EXPECT_EQ(detail::TransferWrite(file, data.data(), 10, 3), 10);
  EXPECT_EQ(detail::TransferWrite(file, data.data(), 0, 3), 0);
  EXPECT_EQ(std::filesystem::file_size(path), 10u);
  ASSERT_EQ(platform::FileSeek(file, 0, platform::SeekFrom::Begin), 0);
  std::string back(16, '.');
  EXPECT_EQ(detail::TransferRead(file, back.data(), 16, 4), 10);  // the end of the file ends it
  EXPECT_EQ(back, data + "......");
  EXPECT_EQ(detail::TransferRead(platform::kInvalidFile, back.data(), 4, 4), 0);  // a failed call moved nothing
  EXPECT_EQ(detail::TransferWrite(platform::kInvalidFile, data.data(), 4, 4), 0);
  platform::FileClose(file);
  EXPECT_EQ(ReadFileBytes(path), data);
}

}  // namespace
}  // namespace files

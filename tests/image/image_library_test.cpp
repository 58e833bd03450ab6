#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#endif

#include "image/decoders.h"
#include "image/image.h"
#include "platform/bitmap.h"
#include "platform/file.h"
#include "tests/image/pictures.h"
#include "tests/support/temp_dir.h"

namespace image {
namespace {

using namespace testpictures;
using testsupport::TempDir;

std::u16string Path(const std::string& s) { return runtime::TextFromUtf8(s); }

std::string SmallBmp() { return MakeBmp({3, 2, 24, 0, {}, std::string(2 * 12, '\x33')}); }

// A decoder under the test's control: accepts data that begins with 0xF0, reports a 2 x 1 picture
// of data[1] frames, and gives frame i a delay of 10 * (i + 1).
struct FakeLog {
  int checks = 0, decodes = 0, releases = 0;
  bool private_was_zero = true;
  int fail_frame = -1;
} g_log;

int FakeCheck(DecoderState* state) {
  ++g_log.checks;
  for (unsigned char b : state->private_area) g_log.private_was_zero &= b == 0;
  std::memset(state->private_area, 0xAB, sizeof(state->private_area));  // the next check must not see this
  if (state->size < 2 || state->data[0] != 0xF0) return 0;
  state->width = 2, state->height = 1, state->depth = 24, state->source_depth = 8;
  state->frame_count = state->data[1];
  return 1;
}
int FakeDecode(DecoderState* state, uint8_t*, uint32_t, uint32_t flags) {
  const int frame = g_log.decodes++;
  if (frame == g_log.fail_frame || !(flags & DecodeBottomUp)) return 0;
  state->frame_delay = 10 * (frame + 1);
  return 1;
}
void FakeRelease(DecoderState*, const ImageDecoder*) { ++g_log.releases; }
const ImageDecoder kFake = {FakeCheck, FakeDecode, FakeRelease, 0x41414141, nullptr, nullptr};

class ImageLibrary : public LoaderTest {
 protected:
  void SetUp() override {
    LoaderTest::SetUp();
    g_log = FakeLog{};
  }
};

// Decoders are asked in registration order, the BMP decoder first, until one accepts (the fake twice,
// so that a check follows a rejecting one); the library's own are registered once however often
// offered, and the registry holds its slots.
TEST_F(ImageLibrary, DecodersAreTriedInOrderUntilOneAccepts) {
  UsePngDecoder();
  UsePngDecoder();
  RegisterImageDecoder(nullptr);
  RegisterImageDecoder(&kFake);
  RegisterImageDecoder(&kFake);
  EXPECT_EQ(RegisteredDecoderCount(), 4);
  const std::string bmp = SmallBmp();
  const unsigned char for_fake[] = {0xF0, 1}, for_none[] = {0x00, 1};
  EXPECT_EQ(OpenDecoder(bmp.data(), int32_t(bmp.size())), kTagBmp);
  CloseDecoder();
  EXPECT_EQ(g_log.checks, 0) << "later decoders are not asked";
  EXPECT_EQ(OpenDecoder(for_fake, 2), kFake.tag);
  CloseDecoder();
  EXPECT_EQ(OpenDecoder(for_none, 2), 0u);
  EXPECT_EQ(DecodeFrame(nullptr, 0, 0), 0) << "nothing open";
  EXPECT_EQ(g_log.checks, 3);
  EXPECT_TRUE(g_log.private_was_zero);
  EXPECT_EQ(g_log.releases, 1) << "a rejecting check leaves nothing to release";
  for (int i = 0; i < 40; ++i) RegisterImageDecoder(&kFake);
  EXPECT_EQ(RegisteredDecoderCount(), kDecoderSlots);
  InitImageLibrary();
  EXPECT_EQ(RegisteredDecoderCount(), 1);
}

// Frames that fail keep empty handles, unless it is frame 0, which fails the load; frames past the
// image's byte budget (the fake's frames take 8 bytes) are neither made nor decoded.
TEST_F(ImageLibrary, FramesAreMadeWhileTheyDecodeAndFitTheBudget) {
  RegisterImageDecoder(&kFake);
  const struct {
    uint64_t budget;
    unsigned char frames;
    int fail_frame, decodes;
    std::string made;  // per frame; empty: the load fails
  } cases[] = {
      {kImageMaxBytes, 3, 1, 3, "101"},
      {kImageMaxBytes, 3, 0, 1, ""},
      {kImageMaxBytes, 1, 0, 1, ""},
      {8 * 3 + 7, 5, -1, 3, "11100"},
      {7, 5, -1, 0, ""},
      {8, 1, -1, 1, "1"},
      {7, 1, -1, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "budget " << c.budget << ", frames " << int(c.frames) << ", failing "
                                    << c.fail_frame);
    g_log = FakeLog{};
    g_log.fail_frame = c.fail_frame;
    SetImageByteBudget(c.budget);
    const unsigned char data[] = {0xF0, c.frames};
    const ObjectNumber number = LoadImageMemory(AnyId, data, 2);
    SetImageByteBudget(kImageMaxBytes);
    EXPECT_EQ(g_log.decodes, c.decodes);
    EXPECT_EQ(g_log.releases, 1);
    EXPECT_EQ(platform::LiveGraphicsObjects(), live_before_ + int64_t(std::count(c.made.begin(), c.made.end(), '1')));
    ASSERT_EQ(number != 0, !c.made.empty());
    if (!number) continue;
    const ImageObject* record = FindImage(number);
    ASSERT_EQ(record->frame_count, c.frames);
    ASSERT_EQ(record->frames != nullptr, c.frames >= 2);
    for (int i = 0; record->frames && i < c.frames; ++i) {
      EXPECT_EQ(record->frames[i].bitmap != nullptr, c.made[i] == '1') << i;
      EXPECT_TRUE(c.made[i] == '0' || record->frames[i].delay == 10u * (i + 1)) << i;
    }
    EXPECT_EQ(record->handle, record->frames ? record->frames[0].bitmap : record->handle);
    EXPECT_EQ(record->delay, record->frames ? 10 : 0);
    ReleaseImage(number);
  }
}

// A number names its image until a load into it fails; a file that cannot be opened leaves it alone.
// The name is UTF-8, beyond any ANSI code page, and readers alongside do not keep the loader out.
TEST_F(ImageLibrary, NumbersHoldAnImageUntilAFailedLoad) {
  TempDir dir;
  const std::string path = dir.Write("\xe4\xb8\xad\xf0\x9f\x98\x80.png", SmallBmp());
  using platform::FileMode, platform::FileShare, platform::AccessRead;
  const auto reader = platform::FileOpen(Path(path), {FileMode::OpenExisting, AccessRead, FileShare::Read});
  const ObjectNumber handle = LoadImageFile(4, Path(path));
  platform::FileClose(reader);
  ASSERT_NE(handle, 0);
  EXPECT_EQ(handle, runtime::NumberOfRecord(FindImage(4)->handle));
  EXPECT_EQ(LoadImageFile(4, Path(dir.str() + "/missing.bmp")), 0);
  EXPECT_EQ(ImagePixelWidth(4), 3) << "the number still holds its image";
  EXPECT_EQ(LoadImageFile(4, Path(dir.Write("notes.gif", "GIF? no, a shopping list\n"))), 0);
  EXPECT_EQ(FindImage(4), nullptr);
  EXPECT_EQ(platform::LiveGraphicsObjects(), live_before_);
}

TEST_F(ImageLibrary, FilesOfTwoGibibytesOrMoreFailUnread) {
  TempDir dir;
  // Sparse files with a valid bitmap at the front: read truncated, they would load.
  const std::string path = dir.Write("huge.bmp", SmallBmp());
  for (uint64_t size : {uint64_t{1} << 31, uint64_t{1} << 32 | 64}) {  // the second reads as 64 in 32 bits
    std::filesystem::resize_file(path, size);
    EXPECT_EQ(LoadImageFile(AnyId, Path(path)), 0) << size;
  }
}

// Devices and FIFOs named like images would block the scan or never end.
TEST_F(ImageLibrary, DevicesNamedLikeImagesFailAtOnce) {
  TempDir dir;
#ifdef _WIN32
  for (const char* name : {"nul.png", "con.bmp", "aux.gif", "NUL"})
    EXPECT_EQ(LoadImageFile(AnyId, Path(dir.str() + "\\" + name)), 0) << name;
#else
  EXPECT_EQ(LoadImageFile(AnyId, u"/dev/zero"), 0);
  const std::string fifo = dir.str() + "/pipe.bmp";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  auto load = std::async(std::launch::async, [&] { return LoadImageFile(AnyId, Path(fifo)); });
  if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    close(open(fifo.c_str(), O_WRONLY | O_NONBLOCK));  // lets the blocked open go
    FAIL() << "the load blocked on a FIFO";
  }
  EXPECT_EQ(load.get(), 0);
#endif
}

}  // namespace
}  // namespace image

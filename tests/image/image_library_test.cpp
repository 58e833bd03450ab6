#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "image/image.h"
#include "platform/bitmap.h"
#include "platform/file.h"
#include "runtime/text.h"
#include "tests/image/pictures.h"
#include "tests/support/temp_dir.h"

namespace image {
namespace {

using testpictures::BmpFile;
using testpictures::MakeBmp;
using testpictures::PixelAt;
using testsupport::TempDir;

std::u16string Path(const std::string& s) { return runtime::TextFromUtf8(s); }

std::string SmallBmp(int32_t width = 3, int32_t height = 2, uint32_t color = 0x336699) {
  BmpFile f;
  f.width = width;
  f.height = height;
  f.pixels = testpictures::PackRows(
      std::vector<std::vector<uint32_t>>(static_cast<size_t>(height), std::vector<uint32_t>(width, color)), 24);
  return MakeBmp(f);
}

// A decoder under the test's control: accepts data that begins with its marker byte, reports a
// 2 x 1 picture of `frames` frames, and paints frame i with the colour i + 1.
struct FakeLog {
  int checks = 0, decodes = 0, releases = 0;
  bool private_was_zero = true;
  int fail_frame = -1;  // the frame whose decode fails
};
FakeLog g_log[2];

template <int Which>
int FakeCheck(DecoderState* state) {
  ++g_log[Which].checks;
  for (unsigned char b : state->private_area) g_log[Which].private_was_zero &= b == 0;
  std::memset(state->private_area, 0xAB, sizeof(state->private_area));  // the next check must not see this
  if (state->size < 2 || state->data[0] != 0xF0 + Which) return 0;
  state->width = 2;
  state->height = 1;
  state->depth = 24;
  state->source_depth = 8;
  state->frame_count = state->data[1];
  return 1;
}

template <int Which>
int FakeDecode(DecoderState* state, uint8_t* rows, uint32_t, uint32_t flags) {
  const int frame = g_log[Which].decodes++;
  if (frame == g_log[Which].fail_frame || !(flags & DecodeBottomUp)) return 0;
  std::memset(rows, frame + 1, 6);
  state->frame_delay = 10 * (frame + 1);
  return 1;
}

template <int Which>
void FakeRelease(DecoderState*, const ImageDecoder*) {
  ++g_log[Which].releases;
}

const ImageDecoder kFakeA = {FakeCheck<0>, FakeDecode<0>, FakeRelease<0>, 0x41414141, nullptr};
const ImageDecoder kFakeB = {FakeCheck<1>, FakeDecode<1>, FakeRelease<1>, 0x42424242, nullptr};

class ImageLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    InitImageLibrary();
    g_log[0] = g_log[1] = FakeLog{};
    live_before_ = platform::LiveGraphicsObjects();
  }
  void TearDown() override {
    ReleaseAllImages();
    EXPECT_EQ(platform::LiveGraphicsObjects(), live_before_) << "every bitmap is given back";
  }
  int64_t live_before_ = 0;
};

TEST_F(ImageLibrary, RegistryStartsWithTheBmpDecoderAndHoldsThirty) {
  EXPECT_EQ(RegisteredDecoderCount(), 1);
  EXPECT_EQ(FindRegisteredDecoder(kTagBmp), BmpDecoder());
  EXPECT_EQ(FindRegisteredDecoder(kTagPng), nullptr);
  for (int i = 0; i < 40; ++i) RegisterImageDecoder(&kFakeA);
  EXPECT_EQ(RegisteredDecoderCount(), kDecoderSlots);
  InitImageLibrary();
  EXPECT_EQ(RegisteredDecoderCount(), 1);
}

TEST_F(ImageLibrary, DecodersAreTriedInOrderUntilOneAccepts) {
  RegisterImageDecoder(&kFakeA);
  RegisterImageDecoder(&kFakeB);
  const unsigned char for_a[] = {0xF0, 1}, for_b[] = {0xF1, 1}, for_none[] = {0x00, 1};
  EXPECT_EQ(OpenDecoder(for_a, 2), kFakeA.tag);
  CloseDecoder();
  EXPECT_EQ(g_log[1].checks, 0) << "later decoders are not asked";
  EXPECT_EQ(OpenDecoder(for_b, 2), kFakeB.tag);
  CloseDecoder();
  EXPECT_EQ(OpenDecoder(for_none, 2), 0u);
  EXPECT_EQ(DecodeFrame(nullptr, 0, 0), 0) << "nothing open";
  EXPECT_EQ(g_log[0].checks, 3);
  EXPECT_EQ(g_log[1].checks, 2);
  EXPECT_TRUE(g_log[1].private_was_zero);
  EXPECT_EQ(g_log[0].releases + g_log[1].releases, 2) << "a rejecting check leaves nothing to release";
}

TEST_F(ImageLibrary, MultiFrameImagesKeepEveryFrameAndItsDelay) {
  RegisterImageDecoder(&kFakeA);
  g_log[0].fail_frame = 1;
  const unsigned char data[] = {0xF0, 3};
  const ObjectNumber number = LoadImageMemory(AnyId, data, 2);
  ASSERT_NE(number, 0);
  const ImageObject* record = FindImage(number);
  ASSERT_EQ(record->frame_count, 3);
  ASSERT_NE(record->frames, nullptr);
  EXPECT_EQ(record->handle, record->frames[0].bitmap);
  EXPECT_EQ(record->delay, 10);
  EXPECT_EQ(record->frames[1].bitmap, nullptr) << "a later frame that fails keeps an empty handle";
  ASSERT_NE(record->frames[2].bitmap, nullptr);
  EXPECT_EQ(PixelAt(static_cast<platform::Bitmap*>(record->frames[2].bitmap), 1, 0), 0x030303u);
  EXPECT_EQ(record->frames[2].delay, 30u);
  EXPECT_EQ(record->source_depth, 8);
  EXPECT_EQ(g_log[0].releases, 1);

  // Frame 0 failing fails the load, and the state is closed all the same.
  g_log[0] = FakeLog{};
  g_log[0].fail_frame = 0;
  EXPECT_EQ(LoadImageMemory(AnyId, data, 2), 0);
  EXPECT_EQ(g_log[0].releases, 1);
}

// The fake decoder's frames are 2 x 1 at 24 bits: 8 bytes each.
TEST_F(ImageLibrary, FramesPastTheImageBudgetAreNeitherMadeNorDecoded) {
  RegisterImageDecoder(&kFakeA);
  struct Case {
    uint64_t budget;
    unsigned char frames;
    int made;  // 0: the load fails
  } cases[] = {
      {8 * 3, 5, 3}, {8 * 3 + 7, 5, 3}, {8 * 5, 5, 5}, {7, 5, 0}, {8, 1, 1}, {7, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("budget " + std::to_string(c.budget) + ", frames " + std::to_string(c.frames));
    g_log[0] = FakeLog{};
    SetImageByteBudget(c.budget);
    const unsigned char data[] = {0xF0, c.frames};
    const ObjectNumber number = LoadImageMemory(AnyId, data, 2);
    SetImageByteBudget(kImageMaxBytes);
    EXPECT_EQ(g_log[0].decodes, c.made);
    EXPECT_EQ(g_log[0].releases, 1);
    EXPECT_EQ(platform::LiveGraphicsObjects(), live_before_ + c.made);
    if (c.made == 0) {
      EXPECT_EQ(number, 0);
      continue;
    }
    ASSERT_NE(number, 0);
    const ImageObject* record = FindImage(number);
    EXPECT_EQ(record->width, 2);
    if (c.frames >= 2) {
      for (int i = 0; i < c.frames; ++i) EXPECT_EQ(record->frames[i].bitmap != nullptr, i < c.made) << i;
    }
    ReleaseImage(number);
  }
}

TEST_F(ImageLibrary, NumbersGiveHandlesOrNewNumbers) {
  const std::string bmp = SmallBmp(3, 2);
  const ObjectNumber handle = LoadImageMemory(4, bmp.data(), static_cast<int32_t>(bmp.size()));
  ASSERT_NE(handle, 0);
  EXPECT_EQ(handle, runtime::NumberOfRecord(FindImage(4)->handle));
  const ObjectNumber fresh = LoadImageMemory(AnyId, bmp.data(), static_cast<int32_t>(bmp.size()));
  ASSERT_NE(fresh, 0);
  EXPECT_NE(fresh, 4);
  EXPECT_EQ(ImagePixelWidth(4), 3);
  EXPECT_EQ(ImagePixelHeight(fresh), 2);
  EXPECT_EQ(ImagePixelWidth(5), 0);
  EXPECT_EQ(ImagePixelHeight(-7), 0);
  ReleaseImage(12345);  // names nothing
  ReleaseImage(fresh);
  EXPECT_EQ(ImagePixelWidth(fresh), 0);
  EXPECT_EQ(ImagePixelWidth(4), 3);
  LoadImageMemory(AnyId, bmp.data(), static_cast<int32_t>(bmp.size()));
  ReleaseImage(AnyId);
  EXPECT_EQ(ImagePixelWidth(4), 0);
  EXPECT_EQ(platform::LiveGraphicsObjects(), live_before_);
}

TEST_F(ImageLibrary, LoadingIntoALiveNumberFreesTheOldImageEvenWhenTheLoadFails) {
  const std::string bmp = SmallBmp();
  ASSERT_NE(LoadImageMemory(2, bmp.data(), static_cast<int32_t>(bmp.size())), 0);
  EXPECT_EQ(platform::LiveGraphicsObjects(), live_before_ + 1);
  const std::string text = "just some words\n";
  EXPECT_EQ(LoadImageMemory(2, text.data(), static_cast<int32_t>(text.size())), 0);
  EXPECT_EQ(FindImage(2), nullptr);
  EXPECT_EQ(platform::LiveGraphicsObjects(), live_before_);
  // The same for a load that fails while decoding.
  ASSERT_NE(LoadImageMemory(2, bmp.data(), static_cast<int32_t>(bmp.size())), 0);
  EXPECT_EQ(LoadImageMemory(2, bmp.data(), 60), 0);
  EXPECT_EQ(FindImage(2), nullptr);
}

TEST_F(ImageLibrary, CursorFilesAreOfferedToTheDecoders) {
  std::string cursor = testpictures::MakeIconFile({{2, 1, 24, std::string(40, '\0')}}, /*type=*/2);
  EXPECT_EQ(IconFromMemory(cursor.data(), static_cast<int32_t>(cursor.size())), nullptr);
  EXPECT_EQ(LoadImageMemory(AnyId, cursor.data(), static_cast<int32_t>(cursor.size())), 0);
  // A decoder that takes files beginning 0, 0, 2, 0 gets it.
  static const ImageDecoder cursor_decoder = {
      [](DecoderState* s) -> int {
        if (s->size < 4 || std::memcmp(s->data, "\0\0\2\0", 4) != 0) return 0;
        s->width = 1;
        s->height = 1;
        s->depth = 24;
        return 1;
      },
      [](DecoderState*, uint8_t*, uint32_t, uint32_t) { return 1; }, [](DecoderState*, const ImageDecoder*) {},
      0x52554343, nullptr};
  RegisterImageDecoder(&cursor_decoder);
  const ObjectNumber number = LoadImageMemory(AnyId, cursor.data(), static_cast<int32_t>(cursor.size()));
  ASSERT_NE(number, 0);
  EXPECT_EQ(FindImage(number)->tag, 0x52554343u);
}

TEST_F(ImageLibrary, FilesLoadByContentAndNonImagesGiveZero) {
  TempDir dir;
  const std::string bmp = SmallBmp(7, 5);
  // The name plays no part.
  const ObjectNumber number = LoadImageFile(AnyId, Path(dir.Write("really a bitmap.png", bmp)));
  ASSERT_NE(number, 0);
  EXPECT_EQ(FindImage(number)->tag, kTagBmp);
  EXPECT_EQ(ImagePixelWidth(number), 7);
  EXPECT_NE(LoadImageFile(AnyId, Path(dir.Write("bild-\xC3\xBC.jpg", bmp))), 0);
  EXPECT_EQ(LoadImageFile(AnyId, Path(dir.Write("sky.hdr", "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 2 +X 2\n"))), 0);
  EXPECT_EQ(LoadImageFile(AnyId, Path(dir.Write("empty.png", ""))), 0);
  EXPECT_EQ(LoadImageFile(AnyId, Path(dir.Write("notes.gif", "GIF? no, a shopping list\n"))), 0);
  EXPECT_EQ(LoadImageFile(AnyId, Path(dir.Mkdir("folder.png"))), 0);
}

TEST_F(ImageLibrary, FilesThatCannotBeOpenedLeaveTheNumberAlone) {
  TempDir dir;
  const std::string bmp = SmallBmp();
  ASSERT_NE(LoadImageMemory(3, bmp.data(), static_cast<int32_t>(bmp.size())), 0);
  EXPECT_EQ(LoadImageFile(3, Path(dir.str() + "/missing.bmp")), 0);
  EXPECT_EQ(ImagePixelWidth(3), 3) << "the number still holds its image";

  // Someone holding the file exclusively keeps the loader out; readers alongside do not.
  const std::string path = dir.Write("held.bmp", bmp);
  using platform::FileOpen, platform::FileMode, platform::FileShare, platform::AccessRead;
  const platform::FileHandle reader = FileOpen(Path(path), {FileMode::OpenExisting, AccessRead, FileShare::Read});
  ASSERT_NE(reader, platform::kInvalidFile);
  EXPECT_NE(LoadImageFile(AnyId, Path(path)), 0);
  platform::FileClose(reader);
  const platform::FileHandle holder = FileOpen(Path(path), {FileMode::OpenExisting, AccessRead, FileShare::None});
  ASSERT_NE(holder, platform::kInvalidFile);
  EXPECT_EQ(LoadImageFile(3, Path(path)), 0);
  EXPECT_EQ(ImagePixelWidth(3), 3);
  platform::FileClose(holder);
}

TEST_F(ImageLibrary, FilesOverTwoGibibytesFailUnread) {
  TempDir dir;
  // A sparse file: a valid bitmap at the front, then holes past 2 GiB. Read truncated, it would load.
  const std::string path = dir.Write("huge.bmp", SmallBmp());
  std::filesystem::resize_file(path, (uint64_t{1} << 31) + 16);
  EXPECT_EQ(LoadImageFile(AnyId, Path(path)), 0);
  std::filesystem::resize_file(path, uint64_t{1} << 32 | 64);  // would read as 64 bytes in 32 bits
  EXPECT_EQ(LoadImageFile(AnyId, Path(path)), 0);
}

TEST_F(ImageLibrary, FrameBitmapsFollowTheRowPitchRule) {
  EXPECT_EQ(RowPitch(33, 1), 8);
  EXPECT_EQ(RowPitch(9, 4), 8);
  EXPECT_EQ(RowPitch(3, 15), 8);
  EXPECT_EQ(RowPitch(int64_t{1} << 31, 24), int64_t{3} << 31) << "no 32-bit overflow";
  const std::string bmp = SmallBmp(5, 2);
  ASSERT_EQ(OpenDecoder(bmp.data(), static_cast<int32_t>(bmp.size())), kTagBmp);
  auto* bitmap = static_cast<platform::Bitmap*>(CreateFrameBitmap());
  CloseDecoder();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->pitch, 16u);
  EXPECT_EQ(bitmap->height, 2) << "bottom-up";
  EXPECT_EQ(PixelAt(bitmap, 4, 1), 0x336699u);
  platform::DeleteBitmap(bitmap);
  EXPECT_EQ(CreateFrameBitmap(), nullptr) << "nothing open";
}

}  // namespace
}  // namespace image

// Loading on Windows: device names that look like images, and UTF-16 names.
#include <fstream>

#include <gtest/gtest.h>

#include "image/image.h"
#include "platform/bitmap.h"
#include "runtime/text.h"
#include "tests/image/pictures.h"
#include "tests/support/temp_dir.h"

namespace image {
namespace {

using testsupport::TempDir;

std::u16string Path(const std::string& s) { return runtime::TextFromUtf8(s); }

class ImageLibraryWin32 : public ::testing::Test {
 protected:
  void SetUp() override { InitImageLibrary(); }
  void TearDown() override { ReleaseAllImages(); }
};

TEST_F(ImageLibraryWin32, DeviceNamesNamedLikeImagesFailAtOnce) {
  TempDir dir;
  for (const char* name : {"nul.png", "con.bmp", "aux.gif", "NUL"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(LoadImageFile(AnyId, Path(dir.str() + "\\" + name)), 0);
  }
}

TEST_F(ImageLibraryWin32, NamesBeyondTheAnsiCodePageLoad) {
  TempDir dir;
  const std::u16string name = u"\u4e2d\U0001F600.bmp";
  testpictures::BmpFile f;
  f.width = 2;
  f.height = 1;
  f.pixels = testpictures::PackRows({{0x112233, 0x445566}}, 24);
  std::ofstream(dir.path() / std::filesystem::path(name), std::ios::binary) << testpictures::MakeBmp(f);
  const std::wstring folder = dir.path().wstring();
  const std::u16string path = std::u16string(folder.begin(), folder.end()) + u"\\" + name;
  const ObjectNumber number = LoadImageFile(AnyId, path);
  ASSERT_NE(number, 0);
  EXPECT_EQ(ImagePixelWidth(number), 2);
}

}  // namespace
}  // namespace image

// Loading on Windows: device names that look like images, and UTF-16 names.
#include <fstream>

#include <gtest/gtest.h>

#include "image/image.h"
#include "tests/image/pictures.h"
#include "tests/support/temp_dir.h"

namespace image {
namespace {

class ImageLibraryWin32 : public ::testing::Test {
 protected:
  void SetUp() override { InitImageLibrary(); }
  void TearDown() override { ReleaseAllImages(); }
};

TEST_F(ImageLibraryWin32, DeviceNamesNamedLikeImagesFailAtOnce) {
  testsupport::TempDir dir;
  for (const char* name : {"nul.png", "con.bmp", "aux.gif", "NUL"})
    EXPECT_EQ(LoadImageFile(AnyId, runtime::TextFromUtf8(dir.str() + "\\" + name)), 0) << name;
}

TEST_F(ImageLibraryWin32, NamesBeyondTheAnsiCodePageLoad) {
  testsupport::TempDir dir;
  const std::u16string name = u"\u4e2d\U0001F600.bmp";
  std::ofstream(dir.path() / std::filesystem::path(name), std::ios::binary)
      << testpictures::MakeBmp({2, 1, 24, 0, {}, testpictures::PackRows({{0x112233, 0x445566}}, 24)});
  const std::wstring folder = dir.path().wstring();
  const ObjectNumber number = LoadImageFile(AnyId, std::u16string(folder.begin(), folder.end()) + u"\\" + name);
  ASSERT_NE(number, 0);
  EXPECT_EQ(ImagePixelWidth(number), 2);
}

}  // namespace
}  // namespace image

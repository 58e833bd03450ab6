#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/decoders.h"
#include "image/image.h"
#include "tests/image/pictures.h"
#include "tests/support/temp_dir.h"

namespace image {
namespace {

using namespace testpictures;
using Icons = LoaderTest;

// A square entry of one colour: index 1 of a table at 1, 4 and 8 bits, the colour itself above.
IconEntry Flat(uint8_t size, uint16_t bits, uint32_t color) {
  std::vector<uint32_t> palette(bits > 8 ? 0 : bits == 1 ? 2 : 16, 0);
  if (!palette.empty()) palette[1] = color;
  const uint32_t value = bits <= 8 ? 1 : bits == 32 ? color | 0xFF000000 : color;
  const Rows colors(size, std::vector<uint32_t>(size, value)), mask(size, std::vector<uint32_t>(size, 0));
  return {size, size, bits, MakeIconBitmap(size, size, bits, palette, colors, mask)};
}

// Among the entries of the first entry's width and height the deepest wins; a tie keeps the earlier.
// Each entry's height field counts its colour and transparency rows both.
TEST_F(Icons, TheDeepestEntryOfTheFirstEntrysSizeIsChosen) {
  IconEntry taller = Flat(8, 32, 0x770000);
  taller.height = 9;
  const struct {
    std::vector<IconEntry> entries;
    int64_t width;
    uint32_t color;
  } cases[] = {
      {{Flat(16, 4, 0x110000), Flat(32, 32, 0x220000), Flat(16, 8, 0x330000)}, 16, 0xFF330000},
      {{Flat(8, 8, 0x440000), Flat(8, 24, 0x550000), Flat(8, 24, 0x660000)}, 8, 0xFF550000},
      {{Flat(8, 1, 0x880000), taller}, 8, 0xFF880000},
  };
  for (const auto& c : cases) {
    const ObjectNumber number = Load(MakeIconFile(c.entries));
    ASSERT_NE(number, 0);
    EXPECT_EQ(ImagePixelWidth(number), c.width);
    EXPECT_EQ(ImagePixelHeight(number), c.width);
    EXPECT_EQ(PixelAt(number, 5, 5), c.color);
  }
}

// Cursor files, directory fields and entry headers that reach past the file, or claim more than the
// entry holds, make no icon.
TEST_F(Icons, DirectoriesAndDataOutsideTheFileAreNotIcons) {
  const IconEntry entry = Flat(4, 24, 0x123456);
  const std::string good = MakeIconFile({entry});
  ASSERT_NE(Load(good), 0);
  for (const std::string& bad :
       {Patched(good, 2, 2, 2), Patched(good, 4, 0, 2), Patched(good, 4, 200, 2), Patched(good, 6 + 12, 0xFFFFFFF0u),
        Patched(good, 6 + 8, uint32_t(entry.data.size() + 1)), good.substr(0, 5), good.substr(0, good.size() - 1)})
    EXPECT_EQ(IconFromMemory(bad.data(), int32_t(bad.size())), nullptr) << bad.size();
  // Entry headers: rows, width, header size (huge, too small), a 1-row height.
  for (const auto& [at, value] : std::vector<std::pair<size_t, uint32_t>>{
           {22 + 8, 0x7FFFFFFE}, {22 + 4, 0x40000000}, {22, 0xFFFFFFF0u}, {22, 12}, {22 + 8, 1}})
    EXPECT_EQ(Load(Patched(good, at, value)), 0) << at;
  // A colour index past the table of 2 used colours is black.
  const std::string data = MakeIconBitmap(2, 1, 8, {0x0000FF, 0x00FF00}, {{1, 200}}, {{0, 0}});
  const ObjectNumber number = Load(MakeIconFile({{2, 1, 8, data}}));
  ASSERT_NE(number, 0);
  EXPECT_EQ(PixelAt(number, 0, 0), 0xFF00FF00);
  EXPECT_EQ(PixelAt(number, 1, 0), 0xFF000000);
}

TEST_F(Icons, PngEntriesNeedARegisteredPngDecoder) {
  const std::string png = testsupport::ReadFileBytes(Fixture("depth24.png"));
  const std::string file = MakeIconFile({{13, 7, 32, png}});
  EXPECT_EQ(Load(file), 0) << "no PNG decoder";
  UsePngDecoder();
  const ObjectNumber number = Load(file);
  ASSERT_NE(number, 0);
  EXPECT_EQ(FindImage(number)->tag, kTagIcon);
  EXPECT_EQ(ImagePixelWidth(number), 13);
  EXPECT_EQ(PixelAt(number, 12, 6), PixelAt(Load(png), 12, 6));
}

}  // namespace
}  // namespace image

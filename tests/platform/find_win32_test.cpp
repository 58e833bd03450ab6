// Enumeration on Windows: the system matches names without regard to case, drive roots have no
// dot entries, "/" and "\" both separate, and entries come in name order whatever the volume keeps.
#include <gtest/gtest.h>

#include <vector>

#include "platform/find.h"
#include "platform/unicode.h"
#include "tests/platform/find_listing.h"
#include "tests/support/temp_dir.h"

namespace platform {
namespace {

using testsupport::TempDir;

std::u16string U16(const std::filesystem::path& path) {
  const std::wstring wide = path.wstring();
  return std::u16string(wide.begin(), wide.end());
}

// Names beyond ASCII given as UTF-16, since narrow paths go through the ANSI code page here.
void Touch(const TempDir& dir, const std::u16string& name) {
  std::ofstream(dir.path() / std::filesystem::path(name), std::ios::binary) << "12";
}

std::vector<std::u16string> Names(const std::u16string& search_path, FindError* error) {
  std::vector<std::u16string> names;
  for (const FindData& entry : ListEntries(search_path, error)) names.push_back(entry.name);
  return names;
}

TEST(FindWin32, DriveRootListsWithoutDotEntries) {
  FindError error;
  const auto names = Names(u"C:\\*.*", &error);
  EXPECT_EQ(error, FindError::None);
  EXPECT_FALSE(names.empty());
  for (const auto& name : names) EXPECT_TRUE(name != u"." && name != u"..");
}

TEST(FindWin32, PatternsMatchWithoutCaseAndNamesKeepTheirs) {
  TempDir dir;
  dir.Write("Photo.PNG", "");
  dir.Write("other.gif", "");
  FindError error;
  EXPECT_EQ(Names(U16(dir.path()) + u"\\photo.png", &error), std::vector<std::u16string>{u"Photo.PNG"});
  EXPECT_EQ(Names(U16(dir.path()) + u"\\*.png", &error), std::vector<std::u16string>{u"Photo.PNG"});
}

TEST(FindWin32, MixedSeparatorsReachTheFolder) {
  TempDir dir;
  dir.Write("sub/x.jpg", "");
  FindError error;
  const std::vector<std::u16string> expected{u".", u"..", u"x.jpg"};
  EXPECT_EQ(Names(U16(dir.path()) + u"/sub/\\*.*", &error), expected);
  EXPECT_EQ(Names(U16(dir.path()) + u"\\sub\\*.*", &error), expected);
}

TEST(FindWin32, EntriesComeInNameOrderWhateverTheWritingOrder) {
  TempDir dir;
  for (const char16_t* name : {u"c.png", u"a.png", u"b", u"B2.png", u"\u00e4.png"}) Touch(dir, name);
  FindError error;
  const std::vector<std::u16string> expected{u".", u"..", u"a.png", u"b", u"B2.png", u"c.png", u"\u00e4.png"};
  EXPECT_EQ(Names(U16(dir.path()) + u"\\*", &error), expected);
}

TEST(FindWin32, UnicodeNamesComeAsTheyAreStored) {
  TempDir dir;
  Touch(dir, u"\u4e2d\U0001F600.png");
  FindError error;
  EXPECT_EQ(Names(U16(dir.path()) + u"\\*.png", &error), std::vector<std::u16string>{u"\u4e2d\U0001F600.png"});
}

}  // namespace
}  // namespace platform

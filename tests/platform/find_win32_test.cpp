// Enumeration on Windows: the system matches names without regard to case, drive roots have no
// dot entries, "/" and "\" both separate, and entries come in name order whatever the volume keeps.
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "platform/find.h"
#include "tests/platform/find_listing.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace platform {
namespace {

using testsupport::W;
using Names = std::vector<std::u16string>;

Names List(const std::u16string& search_path) {
  FindError error;
  Names names;
  for (const FindData& entry : ListEntries(search_path, &error)) names.push_back(entry.name);
  return names;
}

TEST(FindWin32, SearchPathsAndTheNamesTheyFind) {
  testsupport::TempDir dir;
  for (const char16_t* name : {u"c.png", u"a.png", u"b", u"B2.PNG", u"\u00e4.png", u"\u4e2d\U0001F600.png"})
    std::ofstream(dir.path() / std::filesystem::path(name), std::ios::binary) << "12";
  dir.Write("sub/x.jpg", "");
  const std::u16string folder = W(dir.path());
  const std::pair<std::u16string, Names> cases[] = {
      {u"\\*", {u".", u"..", u"a.png", u"b", u"B2.PNG", u"c.png", u"sub", u"\u00e4.png", u"\u4e2d\U0001F600.png"}},
      {u"\\b2.png", {u"B2.PNG"}},
      {u"\\*.png", {u"a.png", u"B2.PNG", u"c.png", u"\u00e4.png", u"\u4e2d\U0001F600.png"}},
      {u"/sub/\\*.*", {u".", u"..", u"x.jpg"}},
      {u"\\sub\\*.*", {u".", u"..", u"x.jpg"}},
  };
  for (const auto& [search, names] : cases) EXPECT_EQ(List(folder + search), names) << Utf16ToUtf8(search);
  const Names root = List(u"C:\\*.*");
  EXPECT_FALSE(root.empty());
  for (const auto& name : root) EXPECT_TRUE(name != u"." && name != u"..");
}

}  // namespace
}  // namespace platform

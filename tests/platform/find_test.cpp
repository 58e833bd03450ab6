#include "platform/find.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "platform/unicode.h"
#include "tests/platform/find_listing.h"
#include "tests/support/temp_dir.h"

namespace platform {
namespace {

using testsupport::TempDir;

std::set<std::u16string> ListAll(const std::string& search_path, FindError* error) {
  std::set<std::u16string> names;
  for (const FindData& entry : ListEntries(Utf8ToUtf16(search_path), error)) names.insert(entry.name);
  return names;
}

TEST(Find, ListsDotEntriesFilesAndFolders) {
  TempDir dir;
  dir.Write("a.png", "1234");
  dir.Mkdir("sub");
  FindError error;
  EXPECT_EQ(ListAll(dir.str() + "/*.*", &error), (std::set<std::u16string>{u".", u"..", u"a.png", u"sub"}));
  EXPECT_EQ(error, FindError::None);
}

// The folder is read whole and handed out sorted, the dot entries first, whatever order the file
// system keeps (tmpfs, for one, gives the newest name first).
TEST(Find, NothingMatchedIsToldApartFromAMissingFolder) {
  TempDir dir;
  dir.Write("a.png", "");
  FindError error;
  EXPECT_TRUE(ListAll(dir.str() + "/*.gif", &error).empty());
  EXPECT_EQ(error, FindError::NothingMatched);
  EXPECT_TRUE(ListAll(dir.str() + "/missing/*.*", &error).empty());
  EXPECT_EQ(error, FindError::PathNotFound);
  EXPECT_TRUE(ListAll(dir.str() + "/a.png/*.*", &error).empty());
  EXPECT_EQ(error, FindError::PathNotFound);
}

TEST(Find, EntryKindsAndSizes) {
  TempDir dir;
  dir.Write("five", "12345");
  dir.Mkdir("folder");
  FindError error;
  std::map<std::u16string, FindData> seen;
  for (const FindData& entry : ListEntries(Utf8ToUtf16(dir.str() + "/*"), &error)) seen[entry.name] = entry;
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen[u"five"].attributes, 0u);
  EXPECT_EQ(seen[u"five"].size, 5u);
  EXPECT_EQ(seen[u"folder"].attributes, kAttributeDirectory);
}

}  // namespace
}  // namespace platform

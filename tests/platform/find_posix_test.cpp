// The POSIX enumeration matches patterns itself and follows links.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/find.h"
#include "platform/unicode.h"
#include "tests/platform/find_listing.h"
#include "tests/support/temp_dir.h"

namespace platform {
namespace {

using testsupport::TempDir;

TEST(Find, WildcardsFollowTheFindFirstRules) {
  EXPECT_TRUE(WildcardMatch(u"*.*", u"noext"));
  EXPECT_TRUE(WildcardMatch(u"*", u".hidden"));
  EXPECT_TRUE(WildcardMatch(u"*.PNG", u"cat.png"));
  EXPECT_TRUE(WildcardMatch(u"c?t.*", u"cat.jpg"));
  EXPECT_FALSE(WildcardMatch(u"c?t.*", u"ct.jpg"));
  EXPECT_TRUE(WildcardMatch(u"a*b*c", u"aXXbYYbc"));
  EXPECT_FALSE(WildcardMatch(u"a*b*c", u"aXXbYYb"));
  EXPECT_FALSE(WildcardMatch(u"*.png", u"\u00c4.PNG.txt"));
  EXPECT_FALSE(WildcardMatch(u"\u00e4*", u"\u00c4x"));  // only ASCII letters ignore case
}

TEST(Find, LinksCountAsWhatTheyPointAt) {
  TempDir dir;
  dir.Mkdir("folder");
  std::filesystem::create_directory_symlink(dir.path() / "folder", dir.path() / "link");
  std::filesystem::create_symlink(dir.path() / "gone", dir.path() / "dangling");
  FindError error;
  std::map<std::u16string, FindData> seen;
  for (const FindData& entry : ListEntries(Utf8ToUtf16(dir.str() + "/*"), &error)) seen[entry.name] = entry;
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen[u"link"].attributes, kAttributeDirectory);
  EXPECT_EQ(seen[u"dangling"].attributes, 0u);
}

// "B.png" and "b.png" are two files only where names keep their case.
TEST(FindPosix, DeliversDotEntriesFirstThenNamesInTheirOrder) {
  TempDir dir;
  const std::vector<std::string> sorted = {"!bang", "-dash", ".hidden", "B.png", "b.png", "sub", "_under"};
  for (auto it = sorted.rbegin(); it != sorted.rend(); ++it) {
    if (*it == "sub") dir.Mkdir(*it);
    else dir.Write(*it, "");
  }
  std::vector<std::u16string> expected = {u".", u".."};
  for (const std::string& name : sorted) expected.push_back(Utf8ToUtf16(name));
  FindError error;
  std::vector<std::u16string> seen;
  for (const FindData& entry : ListEntries(Utf8ToUtf16(dir.str() + "/*.*"), &error)) seen.push_back(entry.name);
  EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace platform

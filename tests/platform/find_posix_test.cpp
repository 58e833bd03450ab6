// The POSIX enumeration matches patterns itself, follows links and sorts what the folder holds.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/find.h"
#include "platform/unicode.h"
#include "tests/platform/find_listing.h"
#include "tests/support/temp_dir.h"

namespace platform {
namespace {

TEST(FindPosix, WildcardsFollowTheFindFirstRules) {
  const std::tuple<std::u16string, std::u16string, bool> cases[] = {
      {u"*.*", u"noext", true},        {u"*", u".hidden", true},
      {u"*.PNG", u"cat.png", true},    {u"c?t.*", u"cat.jpg", true},
      {u"c?t.*", u"ct.jpg", false},    {u"a*b*c", u"aXXbYYbc", true},
      {u"a*b*c", u"aXXbYYb", false},   {u"*.png", u"\u00c4.PNG.txt", false},
      {u"\u00e4*", u"\u00c4x", false},  // only ASCII letters ignore case
  };
  for (const auto& [pattern, name, match] : cases)
    EXPECT_EQ(WildcardMatch(pattern, name), match) << Utf16ToUtf8(pattern) << " " << Utf16ToUtf8(name);
}

// Dot entries first, then names in their order, whatever order the file system keeps (tmpfs gives
// the newest first). "B.png" and "b.png" are two files only where names keep their case. A link
// counts as what it points at.
TEST(FindPosix, DeliversDotEntriesFirstThenNamesInTheirOrderWithLinksAsTheirTargets) {
  testsupport::TempDir dir;
  const std::vector<std::string> sorted = {"!bang",    "-dash", ".hidden", "B.png", "b.png",
                                           "dangling", "link",  "sub",     "_under"};
  for (auto it = sorted.rbegin(); it != sorted.rend(); ++it) {
    if (*it == "sub")
      dir.Mkdir(*it);
    else if (*it == "link")
      std::filesystem::create_directory_symlink(dir.path() / "sub", dir.path() / *it);
    else if (*it == "dangling")
      std::filesystem::create_symlink(dir.path() / "gone", dir.path() / *it);
    else
      dir.Write(*it, "");
  }
  std::vector<std::string> expected = {". 16", ".. 16"};
  for (const std::string& name : sorted) expected.push_back(name + (name == "sub" || name == "link" ? " 16" : " 0"));
  FindError error;
  std::vector<std::string> seen;
  for (const FindData& entry : ListEntries(Utf8ToUtf16(dir.str() + "/*.*"), &error))
    seen.push_back(Utf16ToUtf8(entry.name) + " " + std::to_string(entry.attributes));
  EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace platform

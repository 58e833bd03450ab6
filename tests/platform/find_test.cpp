#include "platform/find.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/platform/find_listing.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace platform {
namespace {

using testsupport::W;

// Every entry as "name attributes size", in the order delivered.
std::vector<std::string> List(const std::u16string& search_path, FindError* error) {
  std::vector<std::string> entries;
  for (const FindData& entry : ListEntries(search_path, error))
    entries.push_back(Utf16ToUtf8(entry.name) + " " + std::to_string(entry.attributes) + " " +
                      std::to_string(entry.attributes ? 0 : entry.size));
  return entries;
}

TEST(Find, ListsDotEntriesFilesAndFoldersInOrderAndTellsNothingFromMissing) {
  testsupport::TempDir dir;
  dir.Mkdir("sub");
  dir.Write("a.png", "1234");
  FindError error;
  for (const char16_t* pattern : {u"*.*", u"*"}) {
    EXPECT_EQ(List(W(dir.path()) + u"/" + pattern, &error),
              (std::vector<std::string>{". 16 0", ".. 16 0", "a.png 0 4", "sub 16 0"}));
    EXPECT_EQ(error, FindError::None);
  }
  const std::pair<std::u16string, FindError> failures[] = {{u"/*.gif", FindError::NothingMatched},
                                                           {u"/missing/*.*", FindError::PathNotFound},
                                                           {u"/a.png/*.*", FindError::PathNotFound}};
  for (const auto& [search, reason] : failures) {
    EXPECT_TRUE(List(W(dir.path()) + search, &error).empty());
    EXPECT_EQ(error, reason);
  }
}

}  // namespace
}  // namespace platform

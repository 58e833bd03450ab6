#include "platform/identity.h"

#include <gtest/gtest.h>

#include "platform/unicode.h"
#include "tests/support/temp_dir.h"

namespace platform {
namespace {

// One folder by any path, different folders apart, and what cannot be examined is no identity.
TEST(Identity, OneFolderByAnyPathAndDifferentFoldersApart) {
  testsupport::TempDir dir;
  dir.Mkdir("sub/deeper");
  ObjectIdentity sub, same, other;
  ASSERT_TRUE(IdentityOf(Utf8ToUtf16(dir.str() + "/sub"), &sub));
  for (const char* spelling : {"/sub/deeper/..", "/sub/"}) {
    ASSERT_TRUE(IdentityOf(Utf8ToUtf16(dir.str() + spelling), &same)) << spelling;
    EXPECT_EQ(same, sub) << spelling;
  }
  for (const char* elsewhere : {"/sub/deeper", ""}) {
    ASSERT_TRUE(IdentityOf(Utf8ToUtf16(dir.str() + elsewhere), &other)) << elsewhere;
    EXPECT_FALSE(other == sub) << elsewhere;
  }
  for (const std::u16string& missing :
       {Utf8ToUtf16(dir.str() + "/missing"), std::u16string(), std::u16string(u"a\0b", 3)})
    EXPECT_FALSE(IdentityOf(missing, &other));
}

}  // namespace
}  // namespace platform

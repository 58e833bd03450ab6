#include "platform/identity.h"

#include <gtest/gtest.h>

#include "platform/unicode.h"
#include "tests/support/temp_dir.h"

namespace platform {
namespace {

using testsupport::TempDir;

ObjectIdentity Of(const std::string& path) {
  ObjectIdentity identity;
  EXPECT_TRUE(IdentityOf(Utf8ToUtf16(path), &identity)) << path;
  return identity;
}

TEST(Identity, OneFolderByAnyPathAndDifferentFoldersApart) {
  TempDir dir;
  dir.Mkdir("sub/deeper");
  EXPECT_EQ(Of(dir.str() + "/sub"), Of(dir.str() + "/sub/deeper/.."));
  EXPECT_EQ(Of(dir.str() + "/sub"), Of(dir.str() + "/sub/"));
  EXPECT_FALSE(Of(dir.str() + "/sub") == Of(dir.str() + "/sub/deeper"));
  EXPECT_FALSE(Of(dir.str()) == Of(dir.str() + "/sub"));
}

TEST(Identity, WhatCannotBeExaminedIsNoIdentity) {
  TempDir dir;
  ObjectIdentity identity;
  EXPECT_FALSE(IdentityOf(Utf8ToUtf16(dir.str() + "/missing"), &identity));
  EXPECT_FALSE(IdentityOf(u"", &identity));
  EXPECT_FALSE(IdentityOf(std::u16string(u"a\0b", 3), &identity));
}

}  // namespace
}  // namespace platform

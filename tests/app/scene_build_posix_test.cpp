#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "files/folder_scan.h"
#include "tests/app/fixtures.h"
#include "tests/app/scene_build_support.h"

namespace app {
namespace {

using namespace scenetest;
using apptest::Fixture;
using testsupport::ReadFileBytes;

TEST_F(SceneBuild, CycleOfLinksEnds) {
  tree_.Write("loop/photo.png", Fixture("photo.png"));
  fs::create_directory_symlink(tree_.path(), tree_.path() / "loop" / "back");
  BuildRun run = Build(tree_.str() + "/", templates_.path());
  EXPECT_EQ(run.listed, std::vector<std::string>{"loop/photo.png"});
}

// Stems in the order a folder's entries must come in, each followed by ".png": code units compared
// after the simple upper-case mapping, names equal under it by their raw units.
const char* const kOrderedStems[] = {
    "-dash",
    "",
    "10",
    "A",
    "a",
    "AB",
    "Ab",
    "aB",
    "ab",
    "B",
    "b_",
    "i",
    "\xC4\xB1",  // dotless i upper-cases to I
    "_under",    // after every letter, because letters are compared upper-cased
    "\xC3\x89",
    "\xC3\xA9",  // E acute, e acute
    "\xC3\x9F",  // sharp s has no simple upper case
    "\xC4\x80",
    "\xC3\xBF",  // A macron (U+0100), then y diaeresis (upper case U+0178)
    "\xCE\xA3",
    "\xCF\x83",          // capital and small sigma
    "\xE4\xB8\xAD",      // a CJK character
    "\xF0\x9D\x92\x9C",  // a supplementary character, compared by its surrogates
    "\x80",
    "\xFF",  // bytes that are not UTF-8 (U+DC80, U+DCFF)
};

// 200 names in their order: every stem behind each of the digits 0 to 7.
std::vector<std::string> OrderedNames() {
  std::vector<std::string> names;
  for (char digit = '0'; digit <= '7'; ++digit)
    for (const char* stem : kOrderedStems) names.push_back(std::string(1, digit) + stem + ".png");
  return names;
}

TEST_F(SceneBuild, EntriesComeInTheirDefinedOrderAndTheSceneFollowsIt) {
  const std::vector<std::string> names = OrderedNames();
  ASSERT_EQ(names.size(), 200u);
  std::vector<std::string> shuffled = names;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(20261206));
  for (const std::string& name : shuffled) tree_.Write(name, "not a picture");

  std::vector<std::string> enumerated;
  const int64_t scan = files::OpenFolderScan(runtime::AnyId, runtime::TextFromUtf8(tree_.str() + "/"), u"*.*");
  ASSERT_NE(scan, 0);
  while (files::NextFolderEntry(scan)) enumerated.push_back(runtime::TextToUtf8(files::FolderEntryName(scan)));
  files::CloseFolderScan(scan);
  std::vector<std::string> expected = {".", ".."};
  expected.insert(expected.end(), names.begin(), names.end());
  EXPECT_EQ(enumerated, expected);

  BuildRun run = Build(tree_.str() + "/", templates_.path());
  EXPECT_EQ(run.listed, names);
  std::string scene;
  for (const std::string& name : names) scene += Line(name, 100, 100);
  EXPECT_EQ(ReadFileBytes(tree_.str() + "/image_scan.pov"), scene);
}

TEST_F(SceneBuild, AFolderNamedWithATrailingBackslashIsAnOrdinaryFolder) {
  tree_.Write("a\\/x.png", Fixture("photo.png"));
  tree_.Write("a\\/sub/y.gif", Fixture("anim.gif"));
  BuildRun run = Build(tree_.str() + "/", templates_.path());
  EXPECT_EQ(run.listed, (std::vector<std::string>{"a\\/sub/y.gif", "a\\/x.png"}));
  EXPECT_EQ(ReadFileBytes(tree_.str() + "/image_scan.pov"),
            Line("a\\\\/sub/y.gif", 40, 20) + Line("a\\\\/x.png", 64, 32));
}

TEST_F(SceneBuild, LineBreaksInNamesAreEscapedInTheSceneAndListedAsTheyAre) {
  tree_.Write("cr\rname.png", "x");
  tree_.Write("lf\n\"add_image\".png", "x");
  BuildRun run = Build(tree_.str() + "/", templates_.path());
  EXPECT_EQ(run.listed, (std::vector<std::string>{"cr\rname.png", "lf\n\"add_image\".png"}));
  EXPECT_EQ(ReadFileBytes(tree_.str() + "/image_scan.pov"),
            Line("cr\\rname.png", 100, 100) + Line("lf\\n\\\"add_image\\\".png", 100, 100));
}

// A link named image_scan.pov is replaced by the scene, never written through; what it points to
// stays as it was (or is never made).
TEST_F(SceneBuild, ALinkNamedLikeTheSceneIsReplacedNotFollowed) {
  templates_.Write("pov_image_read_A.txt", "H\n");
  const TempDir elsewhere;
  const std::string kept = elsewhere.Write("precious.txt", "do not touch\n");
  const std::string never_made = elsewhere.str() + "/made-through-a-link.pov";
  for (const std::string& target : {kept, never_made}) {
    SCOPED_TRACE(target);
    const fs::path link = tree_.path() / "image_scan.pov";
    fs::remove(link);
    fs::create_symlink(target, link);
    BuildRun run = Build(tree_.str() + "/", templates_.path());
    EXPECT_TRUE(run.outcome.written && run.outcome.reopened);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(link)));
    EXPECT_EQ(ReadFileBytes(link.string()), "H\r\n");
    EXPECT_EQ(ReadFileBytes(kept), "do not touch\n");
    EXPECT_FALSE(fs::exists(never_made));
  }
}

}  // namespace
}  // namespace app

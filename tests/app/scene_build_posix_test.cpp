#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

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

// Stems, split at "|", in the order a folder's entries must come in, each followed by ".png": code
// units compared after the simple upper-case mapping, names equal under it by their raw units. Hence
// "_" after every letter, dotless i (upper case I) after i, sharp s (no simple upper case) after e
// acute, A macron (U+0100) before y diaeresis (upper case U+0178), capital sigma before small, a
// supplementary character by its surrogates, and bytes that are not UTF-8 (U+DC80, U+DCFF) last.
const std::string kOrderedStems =
    "-dash||10|A|a|AB|Ab|aB|ab|B|b_|i|\xC4\xB1|_under|\xC3\x89|\xC3\xA9|\xC3\x9F|\xC4\x80|\xC3\xBF|\xCE\xA3|\xCF\x83|"
    "\xE4\xB8\xAD|\xF0\x9D\x92\x9C|\x80|\xFF";

TEST_F(SceneBuild, EntriesComeInTheirDefinedOrderAndTheSceneFollowsIt) {
  std::vector<std::string> names;  // every stem behind each of the digits 0 to 7
  for (char digit = '0'; digit <= '7'; ++digit) {
    std::istringstream stems(kOrderedStems);
    for (std::string stem; std::getline(stems, stem, '|');) names.push_back(digit + stem + ".png");
  }
  ASSERT_EQ(names.size(), 200u);
  std::vector<std::string> shuffled = names;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(20261206));
  for (const std::string& name : shuffled) tree_.Write(name, "not a picture");
  BuildRun run = Build(tree_.str() + "/", templates_.path());
  EXPECT_EQ(run.listed, names);
  std::string scene;
  for (const std::string& name : names) scene += Line(name, 100, 100);
  EXPECT_EQ(ReadFileBytes(tree_.str() + "/image_scan.pov"), scene);
}

// A folder named with a trailing backslash is an ordinary folder; line breaks
// and quotes in names are escaped in the scene and listed as they are.
TEST_F(SceneBuild, NamesAreListedAsTheyAreAndEscapedInTheScene) {
  tree_.Write("a\\/x.png", Fixture("photo.png"));
  tree_.Write("a\\/sub/y.gif", Fixture("anim.gif"));
  tree_.Write("cr\rname.png", "x");
  tree_.Write("lf\n\"add_image\".png", "x");
  BuildRun run = Build(tree_.str() + "/", templates_.path());
  EXPECT_EQ(run.listed,
            (std::vector<std::string>{"a\\/sub/y.gif", "a\\/x.png", "cr\rname.png", "lf\n\"add_image\".png"}));
  EXPECT_EQ(ReadFileBytes(tree_.str() + "/image_scan.pov"),
            Line("a\\\\/sub/y.gif", 40, 20) + Line("a\\\\/x.png", 64, 32) + Line("cr\\rname.png", 100, 100) +
                Line("lf\\n\\\"add_image\\\".png", 100, 100));
}

// A link named image_scan.pov is replaced by the scene, never written through;
// what it points to stays as it was (or is never made).
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

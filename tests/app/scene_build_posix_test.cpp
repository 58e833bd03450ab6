#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/app/scene_build_support.h"

namespace app {
namespace {

using namespace scenetest;

TEST_F(SceneBuild, CycleOfLinksEnds) {
  tree_.Write("loop/photo.png", Fixture("photo.png"));
  fs::create_directory_symlink(tree_.path(), tree_.path() / "loop" / "back");
  EXPECT_EQ(BuildTree().listed, std::vector<std::string>{"loop/photo.png"});
}

// Stems in the order a folder's entries must come in: code units compared after the simple upper-case
// mapping, names equal under it by their raw units. Hence "_" after every letter, dotless i after i,
// sharp s (no simple upper case) after e acute, A macron before y diaeresis (upper case U+0178),
// capital sigma before small, a supplementary character by its surrogates, and bytes that are not
// UTF-8 (U+DC80, U+DCFF) last.
const std::string kOrderedStems =
    "-dash|10|A|a|AB|Ab|aB|ab|B|b_|i|\xC4\xB1|_under|\xC3\x89|\xC3\xA9|\xC3\x9F|\xC4\x80|\xC3\xBF|\xCE\xA3|\xCF\x83|"
    "\xE4\xB8\xAD|\xF0\x9D\x92\x9C|\x80|\xFF";

// The order holds for the threaded scan too, whose measurements finish in any order.
TEST_F(SceneBuild, EntriesComeInTheirDefinedOrderAndTheSceneFollowsIt) {
  std::vector<std::string> names;
  std::istringstream stems(kOrderedStems);
  for (std::string stem; std::getline(stems, stem, '|');) names.push_back(stem + ".png");
  std::vector<std::string> shuffled = names;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(20261206));
  for (const std::string& name : shuffled) tree_.Write(name, "not a picture");
  std::string scene;
  for (const std::string& name : names) scene += Line(name, 100, 100);
  for (const int jobs : {1, 4}) {
    const BuildRun run = BuildTree(jobs);
    EXPECT_EQ(run.listed, names) << jobs << " threads";
    EXPECT_EQ(run.scene, scene) << jobs << " threads";
  }
}

// A link named like the scene is replaced by the scene, never written through: what it points to
// stays as it was, or is never made.
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
    const BuildRun run = BuildTree();
    EXPECT_TRUE(run.outcome.written && run.outcome.reopened);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(link)));
    EXPECT_EQ(run.scene, "H\r\n");
    EXPECT_EQ(ReadFileBytes(kept), "do not touch\n");
    EXPECT_FALSE(fs::exists(never_made));
  }
}

}  // namespace
}  // namespace app

#include <gtest/gtest.h>

#include <filesystem>
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

// The scan lists a folder in the system's name order, whatever order the folder holds its entries in;
// bytes that are not UTF-8 come last and are written as they are.
TEST_F(SceneBuild, EntriesComeInNameOrderAndTheSceneFollowsIt) {
  const std::vector<std::string> names = {"a.png", "B.png", "_.png", "\xC3\xA9.png", "\x80.png"};
  for (auto name = names.rbegin(); name != names.rend(); ++name) tree_.Write(*name, "not a picture");
  std::string scene;
  for (const std::string& name : names) scene += Line(name, 100, 100);
  const BuildRun run = BuildTree();
  EXPECT_EQ(run.listed, names);
  EXPECT_EQ(run.scene, scene);
}

// A link named like the scene is replaced by the scene, never written through.
TEST_F(SceneBuild, ALinkNamedLikeTheSceneIsReplacedNotFollowed) {
  const TempDir elsewhere;
  const std::string kept = elsewhere.Write("precious.txt", "do not touch\n");
  const fs::path link = tree_.path() / "image_scan.pov";
  fs::create_symlink(kept, link);
  EXPECT_TRUE(BuildTree().outcome.written);
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(link)));
  EXPECT_EQ(ReadFileBytes(kept), "do not touch\n");
}

}  // namespace
}  // namespace app

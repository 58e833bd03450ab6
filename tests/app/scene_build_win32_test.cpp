#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/app/scene_build_support.h"

namespace app {
namespace {

using namespace scenetest;

// "/" separates as well as "\" in the folder given, but the scan's own paths use "\", which the scene
// line escapes so that the renderer does not read "\d" as an escape of its own.
TEST_F(SceneBuild, AFolderGivenWithSlashesGivesBackslashedPathsEscapedInTheScene) {
  tree_.Write("sub/deeper/photo.png", Fixture("photo.png"));
  std::string folder = tree_.str();
  std::replace(folder.begin(), folder.end(), '\\', '/');
  const BuildRun run = Build(folder + "/", templates_.path());
  EXPECT_EQ(run.listed, std::vector<std::string>{"sub\\deeper\\photo.png"});
  EXPECT_EQ(run.scene, Line("sub\\\\deeper\\\\photo.png", 64, 32));
}

}  // namespace
}  // namespace app

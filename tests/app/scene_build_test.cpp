#include <gtest/gtest.h>

#include <iterator>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/app/scene_build_support.h"

namespace app {
namespace {

using namespace scenetest;

// The templates' line ends all become CR LF, a last line without one included, around one line per
// picked image; a read-only template is still copied. The threaded-scan test compares every other
// picture's size with its full load.
TEST_F(SceneBuild, WritesTheHeaderOneLinePerPickedImageAndTheFooter) {
  templates_.Write("pov_image_read_A.txt", "a\nb\rc\r\nd");
  templates_.Write("pov_image_read_B.txt",
                   "\xEF\xBB\xBF"
                   "e\n\nf\r");
  fs::permissions(templates_.path() / "pov_image_read_A.txt", fs::perms::owner_read);
  struct Case {
    const char* path;
    const char* fixture;
    int width, height;  // 0: not picked
  };
  const Case cases[] = {
      {"a/PHOTO.PNG", "photo.png", 64, 32},
      {"e/radiance.hdr", "radiance.hdr", 100, 100},  // no decoder
      {"g/x.png/inner.gif", "anim.gif", 40, 20},     // a folder named like an image is walked
      {"h/photo.jpeg", "pic.jpg", 0, 0},             // four-letter ending: not picked
  };
  std::string expected = "a\r\nb\r\nc\r\nd\r\n";
  std::vector<std::string> expected_listed;
  for (const Case& c : cases) {
    tree_.Write(c.path, Fixture(c.fixture));
    if (c.width == 0) continue;
    expected_listed.push_back(Listed(c.path));
    expected += Line(InScene(c.path), c.width, c.height);
  }
  const BuildRun run = BuildTree();
  EXPECT_EQ(run.listed, expected_listed);
  EXPECT_EQ(run.scene, expected +
                           "\xEF\xBB\xBF"
                           "e\r\n\r\nf\r\n");
  EXPECT_TRUE(run.outcome.created && run.outcome.reopened);
}

TEST_F(SceneBuild, NamesTheCharsetCannotHoldBecomeQuestionMarksInTheSceneOnly) {
  ASSERT_TRUE(platform::SetAnsiCharset("CP1252"));
  templates_.Write("pov_image_read_A.txt", "// \xE4\n");  // ANSI in, UTF-8 out
  tree_.Write("\xE4\xB8\xAD-\xC3\xA4.png", "x");          // a CJK character and a-umlaut
  const BuildRun run = BuildTree();
  EXPECT_EQ(run.listed, std::vector<std::string>{"\xE4\xB8\xAD-\xC3\xA4.png"});
  EXPECT_EQ(run.scene, "// \xC3\xA4\r\nadd_image ( \"?-\xE4.png\", 100, 100 ) \r\n");
}

// A disk that fills up at any point (the templates' lines, the scan's lines, the last flush) leaves
// the previous scene byte for byte and no temporary file beside it; with room enough the new scene
// takes its place.
TEST_F(SceneBuild, AFullDiskKeepsThePreviousSceneAndIsReported) {
  templates_.Write("pov_image_read_A.txt", std::string(5000, 'h') + "\n");
  templates_.Write("pov_image_read_B.txt", "foot\n");
  tree_.Write("photo.png", Fixture("photo.png"));
  const std::string previous = "// the previous scene\r\n";
  const std::string fresh = std::string(5000, 'h') + "\r\n" + Line("photo.png", 64, 32) + "foot\r\n";
  const int64_t fits = static_cast<int64_t>(fresh.size());
  for (const int64_t room : {int64_t{0}, int64_t{4096}, int64_t{5001}, fits - 1, fits}) {
    SCOPED_TRACE("room for " + std::to_string(room) + " bytes");
    tree_.Write("image_scan.pov", previous);
    platform::FailWritesAfterForTesting(room);
    const BuildRun run = BuildTree();
    platform::FailWritesAfterForTesting(-1);
    EXPECT_EQ(run.scene, room == fits ? fresh : previous);
    EXPECT_EQ(run.outcome.error, room == fits ? 0 : ENOSPC);
    EXPECT_EQ(run.outcome.written, room == fits);
    EXPECT_EQ(run.failures, room == fits ? 0 : 1);
    EXPECT_EQ(run.listed, std::vector<std::string>{"photo.png"});
    EXPECT_EQ(std::distance(fs::directory_iterator(tree_.path()), fs::directory_iterator()), 2);
  }
}

}  // namespace
}  // namespace app

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "app/image_scan.h"
#include "app/scene_file.h"
#include "app/startup.h"
#include "platform/codepage.h"
#include "tests/app/fixtures.h"
#include "tests/support/temp_dir.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::TempDir;

using apptest::Fixture;

// Runs the build with the templates taken from `templates`, as the program does from its current
// directory, and collects what it reports.
struct BuildRun {
  std::vector<std::string> listed;
  std::vector<std::string> unreadable;
  int failures = 0;
  SceneOutcome outcome;
};

BuildRun Build(const std::string& folder_text, const fs::path& templates) {
  BuildRun run;
  SceneHooks hooks;
  hooks.image_found = [&](TextView relative) { run.listed.push_back(runtime::TextToUtf8(relative)); };
  hooks.template_unreadable = [&](TextView name) { run.unreadable.push_back(runtime::TextToUtf8(name)); };
  hooks.scene_failed = [&](TextView) { ++run.failures; };
  const fs::path old = fs::current_path();
  fs::current_path(templates);
  run.outcome = BuildSceneFileFor(runtime::TextFromUtf8(folder_text), hooks);
  fs::current_path(old);
  return run;
}

std::string Line(const std::string& path, int width, int height) {
  return "add_image ( \"" + path + "\", " + std::to_string(width) + ", " + std::to_string(height) + " ) \r\n";
}

class SceneBuild : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    StartLibraries();
    RegisterDecoders();
  }
  void SetUp() override { platform::SetAnsiCharset("UTF-8"); }
  void TearDown() override { platform::SetAnsiCharset(""); }
  TempDir templates_;
  TempDir tree_;
};

TEST_F(SceneBuild, WritesHeaderLinesAndFooterForEveryFormat) {
  templates_.Write("pov_image_read_A.txt", "// head\n#declare N = 0;\n");
  templates_.Write("pov_image_read_B.txt", "// foot");
  tree_.Write("photo.png", Fixture("photo.png"));
  BuildRun run = Build(tree_.str() + "/", templates_.path());
  EXPECT_EQ(run.listed, std::vector<std::string>{"photo.png"});
  EXPECT_EQ(ReadFileBytes(tree_.str() + "/image_scan.pov"),
            "// head\r\n#declare N = 0;\r\n" + Line("photo.png", 64, 32) + "// foot\r\n");
  EXPECT_TRUE(run.outcome.created && run.outcome.reopened);
}

TEST_F(SceneBuild, PicksByEndingAndMeasuresByContent) {
  templates_.Write("pov_image_read_A.txt", "");
  templates_.Write("pov_image_read_B.txt", "");
  tree_.Write("a/PHOTO.PNG", Fixture("photo.png"));
  tree_.Write("b/pic.Jpg", Fixture("pic.jpg"));
  tree_.Write("c/anim.gif", Fixture("anim.gif"));
  tree_.Write("d/bitmap.png", Fixture("bitmap.bmp"));     // a BMP named .png
  tree_.Write("e/radiance.hdr", Fixture("radiance.hdr"));  // no decoder: 100 x 100
  tree_.Write("f/notes.png", "just text");                 // not an image at all
  tree_.Write("g/x.png/inner.gif", Fixture("anim.gif"));   // a folder named like an image is walked
  tree_.Write("h/photo.jpeg", Fixture("pic.jpg"));         // four-letter ending: not picked
  tree_.Write("i/say \"hi\" \\ there.png", "x");
  tree_.Write("j/icon.png", Fixture("icon.ico"));  // an icon file named .png
  // in the enumeration's order: the folders' names
  const std::vector<std::pair<std::string, std::string>> found = {
      {"a/PHOTO.PNG", Line("a/PHOTO.PNG", 64, 32)},
      {"b/pic.Jpg", Line("b/pic.Jpg", 30, 60)},
      {"c/anim.gif", Line("c/anim.gif", 40, 20)},
      {"d/bitmap.png", Line("d/bitmap.png", 17, 9)},
      {"e/radiance.hdr", Line("e/radiance.hdr", 100, 100)},
      {"f/notes.png", Line("f/notes.png", 100, 100)},
      {"g/x.png/inner.gif", Line("g/x.png/inner.gif", 40, 20)},
      {"i/say \"hi\" \\ there.png", Line("i/say \\\"hi\\\" \\\\ there.png", 100, 100)},
      {"j/icon.png", Line("j/icon.png", 24, 24)},
  };
  BuildRun run = Build(tree_.str() + "/", templates_.path());
  std::string expected;
  std::vector<std::string> expected_listed;
  for (const auto& [relative, line] : found) {
    expected_listed.push_back(relative);
    expected += line;
  }
  EXPECT_EQ(run.listed, expected_listed);
  EXPECT_EQ(ReadFileBytes(tree_.str() + "/image_scan.pov"), expected);
}

TEST_F(SceneBuild, TemplateLineEndsAllBecomeCrLfAndTheLastLineIsKept) {
  templates_.Write("pov_image_read_A.txt", "a\nb\rc\r\nd");
  templates_.Write("pov_image_read_B.txt", "\xEF\xBB\xBF" "e\n\nf\r");
  Build(tree_.str() + "/", templates_.path());
  EXPECT_EQ(ReadFileBytes(tree_.str() + "/image_scan.pov"), "a\r\nb\r\nc\r\nd\r\n\xEF\xBB\xBF" "e\r\n\r\nf\r\n");
}

TEST_F(SceneBuild, MissingTemplatesAreCreatedEmptyAndGiveAnEmptyScene) {
  BuildRun run = Build(tree_.str() + "/", templates_.path());
  EXPECT_TRUE(fs::exists(templates_.path() / "pov_image_read_A.txt"));
  EXPECT_TRUE(fs::exists(templates_.path() / "pov_image_read_B.txt"));
  EXPECT_EQ(ReadFileBytes(tree_.str() + "/image_scan.pov"), "");
  EXPECT_TRUE(run.unreadable.empty());
  EXPECT_EQ(run.failures, 0);
}

TEST_F(SceneBuild, ReadOnlyTemplateIsStillCopied) {
  const std::string header = templates_.Write("pov_image_read_A.txt", "// read only\n");
  templates_.Write("pov_image_read_B.txt", "");
  ASSERT_EQ(chmod(header.c_str(), 0444), 0);
  Build(tree_.str() + "/", templates_.path());
  EXPECT_EQ(ReadFileBytes(tree_.str() + "/image_scan.pov"), "// read only\r\n");
}

TEST_F(SceneBuild, UnreadableTemplateCountsAsEmptyAndTheBuildEnds) {
  templates_.Mkdir("pov_image_read_A.txt");  // a folder where the template should be
  templates_.Write("pov_image_read_B.txt", "end\n");
  BuildRun run = Build(tree_.str() + "/", templates_.path());
  EXPECT_EQ(run.unreadable, std::vector<std::string>{"pov_image_read_A.txt"});
  EXPECT_EQ(ReadFileBytes(tree_.str() + "/image_scan.pov"), "end\r\n");
}

TEST_F(SceneBuild, SceneThatCannotBeCreatedIsReportedOnceAndTheScanStillRuns) {
  tree_.Write("sub/photo.png", Fixture("photo.png"));
  const std::string gone = tree_.str() + "/vanished/";
  BuildRun run = Build(gone, templates_.path());
  EXPECT_FALSE(run.outcome.created);
  EXPECT_FALSE(run.outcome.reopened);
  EXPECT_EQ(run.failures, 1);
}

TEST_F(SceneBuild, EmptyFolderTextDoesNothingAtAll) {
  BuildRun run = Build("", templates_.path());
  EXPECT_FALSE(fs::exists(templates_.path() / "pov_image_read_A.txt"));
  EXPECT_EQ(run.failures, 0);
  EXPECT_TRUE(run.listed.empty());
}

TEST_F(SceneBuild, SelectedFileGetsTheNameAppendedAndOnlyTheTemplates) {
  templates_.Write("pov_image_read_A.txt", "H\n");
  templates_.Write("pov_image_read_B.txt", "F\n");
  const std::string file = tree_.Write("a.jpg", Fixture("pic.jpg"));
  BuildRun run = Build(file, templates_.path());
  EXPECT_EQ(ReadFileBytes(file + "image_scan.pov"), "H\r\nF\r\n");
  EXPECT_TRUE(run.listed.empty());
}

TEST_F(SceneBuild, PressingTwiceRewritesTheScene) {
  templates_.Write("pov_image_read_A.txt", "H\n");
  tree_.Write("photo.png", Fixture("photo.png"));
  Build(tree_.str() + "/", templates_.path());
  BuildRun second = Build(tree_.str() + "/", templates_.path());
  EXPECT_EQ(second.listed, std::vector<std::string>{"photo.png"});
  EXPECT_EQ(ReadFileBytes(tree_.str() + "/image_scan.pov"), "H\r\n" + Line("photo.png", 64, 32));
}

TEST_F(SceneBuild, CycleOfLinksEnds) {
  tree_.Write("loop/photo.png", Fixture("photo.png"));
  fs::create_directory_symlink(tree_.path(), tree_.path() / "loop" / "back");
  BuildRun run = Build(tree_.str() + "/", templates_.path());
  EXPECT_EQ(run.listed, std::vector<std::string>{"loop/photo.png"});
}

TEST_F(SceneBuild, NamesTheCharsetCannotHoldBecomeQuestionMarksInTheSceneOnly) {
  ASSERT_TRUE(platform::SetAnsiCharset("CP1252"));
  templates_.Write("pov_image_read_A.txt", "// \xE4\n");  // ANSI in, UTF-8 out
  tree_.Write("\xE4\xB8\xAD-\xC3\xA4.png", "x");           // a CJK character and a-umlaut
  BuildRun run = Build(tree_.str() + "/", templates_.path());
  EXPECT_EQ(run.listed, std::vector<std::string>{"\xE4\xB8\xAD-\xC3\xA4.png"});
  EXPECT_EQ(ReadFileBytes(tree_.str() + "/image_scan.pov"), "// \xC3\xA4\r\nadd_image ( \"?-\xE4.png\", 100, 100 ) \r\n");
}

TEST(SceneLine, FollowsTheFixedShape) {
  EXPECT_EQ(SceneLine(u"pets/cat.png", 640, 480), u"add_image ( \"pets/cat.png\", 640, 480 ) ");
  EXPECT_EQ(SceneLine(u"wide.png", 40000, 1), u"add_image ( \"wide.png\", 40000, 1 ) ");
}

}  // namespace
}  // namespace app

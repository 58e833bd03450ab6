#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/app/fixtures.h"
#include "tests/app/scene_build_support.h"

namespace app {
namespace {

using namespace scenetest;
using apptest::Fixture;
using testsupport::ReadFileBytes;

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
  tree_.Write("d/bitmap.png", Fixture("bitmap.bmp"));      // a BMP named .png
  tree_.Write("e/radiance.hdr", Fixture("radiance.hdr"));  // no decoder: 100 x 100
  tree_.Write("f/notes.png", "just text");                 // not an image at all
  tree_.Write("g/x.png/inner.gif", Fixture("anim.gif"));   // a folder named like an image is walked
  tree_.Write("h/photo.jpeg", Fixture("pic.jpg"));         // four-letter ending: not picked
  tree_.Write("j/icon.png", Fixture("icon.ico"));          // an icon file named .png
  // in the enumeration's order: the folders' names
  const std::vector<std::pair<std::string, std::string>> found = {
      {Listed("a/PHOTO.PNG"), Line(InScene("a/PHOTO.PNG"), 64, 32)},
      {Listed("b/pic.Jpg"), Line(InScene("b/pic.Jpg"), 30, 60)},
      {Listed("c/anim.gif"), Line(InScene("c/anim.gif"), 40, 20)},
      {Listed("d/bitmap.png"), Line(InScene("d/bitmap.png"), 17, 9)},
      {Listed("e/radiance.hdr"), Line(InScene("e/radiance.hdr"), 100, 100)},
      {Listed("f/notes.png"), Line(InScene("f/notes.png"), 100, 100)},
      {Listed("g/x.png/inner.gif"), Line(InScene("g/x.png/inner.gif"), 40, 20)},
      {Listed("j/icon.png"), Line(InScene("j/icon.png"), 24, 24)},
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
  templates_.Write("pov_image_read_B.txt",
                   "\xEF\xBB\xBF"
                   "e\n\nf\r");
  Build(tree_.str() + "/", templates_.path());
  EXPECT_EQ(ReadFileBytes(tree_.str() + "/image_scan.pov"),
            "a\r\nb\r\nc\r\nd\r\n\xEF\xBB\xBF"
            "e\r\n\r\nf\r\n");
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

TEST_F(SceneBuild, NamesTheCharsetCannotHoldBecomeQuestionMarksInTheSceneOnly) {
  ASSERT_TRUE(platform::SetAnsiCharset("CP1252"));
  templates_.Write("pov_image_read_A.txt", "// \xE4\n");  // ANSI in, UTF-8 out
  tree_.Write("\xE4\xB8\xAD-\xC3\xA4.png", "x");          // a CJK character and a-umlaut
  BuildRun run = Build(tree_.str() + "/", templates_.path());
  EXPECT_EQ(run.listed, std::vector<std::string>{"\xE4\xB8\xAD-\xC3\xA4.png"});
  EXPECT_EQ(ReadFileBytes(tree_.str() + "/image_scan.pov"),
            "// \xC3\xA4\r\nadd_image ( \"?-\xE4.png\", 100, 100 ) \r\n");
}

// Names in the folder other than the scene file: a temporary file must never be left behind.
std::vector<std::string> NamesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A disk that fills up at some point of the build (the templates' lines, the scan's lines, the last
// flush) leaves the previous scene file byte for byte and reports the scene as not written; with room
// enough the new scene takes its place.
TEST_F(SceneBuild, AFullDiskKeepsThePreviousSceneAndIsReported) {
  templates_.Write("pov_image_read_A.txt", std::string(5000, 'h') + "\n");
  templates_.Write("pov_image_read_B.txt", "foot\n");
  tree_.Write("photo.png", Fixture("photo.png"));
  const std::string previous = "// the previous scene\r\n";
  const std::string fresh = std::string(5000, 'h') + "\r\n" + Line("photo.png", 64, 32) + "foot\r\n";
  const int64_t rooms[] = {0, 4096, 5001, static_cast<int64_t>(fresh.size()) - 1, static_cast<int64_t>(fresh.size())};
  for (const int64_t room : rooms) {
    SCOPED_TRACE("room for " + std::to_string(room) + " bytes");
    tree_.Write("image_scan.pov", previous);
    platform::FailWritesAfterForTesting(room);
    BuildRun run = Build(tree_.str() + "/", templates_.path());
    platform::FailWritesAfterForTesting(-1);
    const bool fits = room == static_cast<int64_t>(fresh.size());
    EXPECT_EQ(run.listed, std::vector<std::string>{"photo.png"});
    EXPECT_EQ(ReadFileBytes(tree_.str() + "/image_scan.pov"), fits ? fresh : previous);
    EXPECT_EQ(run.outcome.written, fits);
    EXPECT_EQ(run.outcome.error, fits ? 0 : ENOSPC);
    EXPECT_EQ(run.failures, fits ? 0 : 1);
    EXPECT_EQ(NamesIn(tree_.path()), (std::vector<std::string>{"image_scan.pov", "photo.png"}));
  }
}

TEST_F(SceneBuild, ASceneThatCannotTakeItsPlaceLeavesNothingBehind) {
  tree_.Write("image_scan.pov/inside.txt", "a folder where the scene should go");
  tree_.Write("photo.png", Fixture("photo.png"));
  BuildRun run = Build(tree_.str() + "/", templates_.path());
  EXPECT_TRUE(run.outcome.created);
  EXPECT_FALSE(run.outcome.written);
  EXPECT_NE(run.outcome.error, 0);
  EXPECT_EQ(run.failures, 1);
  EXPECT_EQ(run.listed, std::vector<std::string>{"photo.png"});
  EXPECT_EQ(NamesIn(tree_.path()), (std::vector<std::string>{"image_scan.pov", "photo.png"}));
  EXPECT_EQ(ReadFileBytes(tree_.str() + "/image_scan.pov/inside.txt"), "a folder where the scene should go");
}

// Held without sharing by someone else, the scene file is refused as it would be when written in
// place: the scan still runs, the file stays as it was, and nothing is left beside it.
TEST_F(SceneBuild, ASceneFileHeldByAnotherProgramIsRefusedAndKept) {
  const std::string scene = tree_.Write("image_scan.pov", "held\r\n");
  tree_.Write("photo.png", Fixture("photo.png"));
  platform::FileOpenOptions options;
  options.access = platform::AccessRead | platform::AccessWrite;
  const platform::FileHandle holder = platform::FileOpen(runtime::TextFromUtf8(scene), options);
  ASSERT_NE(holder, platform::kInvalidFile);
  BuildRun run = Build(tree_.str() + "/", templates_.path());
  platform::FileClose(holder);
  EXPECT_FALSE(run.outcome.created);
  EXPECT_EQ(run.outcome.error, EBUSY);
  EXPECT_EQ(run.failures, 1);
  EXPECT_EQ(run.listed, std::vector<std::string>{"photo.png"});
  EXPECT_EQ(ReadFileBytes(scene), "held\r\n");
  EXPECT_EQ(NamesIn(tree_.path()), (std::vector<std::string>{"image_scan.pov", "photo.png"}));
}

TEST(SceneLine, FollowsTheFixedShape) {
  EXPECT_EQ(SceneLine(u"pets/cat.png", 640, 480), u"add_image ( \"pets/cat.png\", 640, 480 ) ");
  EXPECT_EQ(SceneLine(u"wide.png", 40000, 1), u"add_image ( \"wide.png\", 40000, 1 ) ");
}

TEST(SceneLine, EscapesWhatWouldEndTheStringOrTheLine) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"plain/name.png", u"plain/name.png"},
      {u"say \"hi\".png", u"say \\\"hi\\\".png"},
      {u"back\\slash.png", u"back\\\\slash.png"},
      {u"two\r\nlines.png", u"two\\r\\nlines.png"},
      {u"\n\\n.png", u"\\n\\\\n.png"},  // an escaped LF and a real backslash before n stay apart
  };
  for (const auto& [path, escaped] : cases)
    EXPECT_EQ(SceneLine(path, 1, 2), u"add_image ( \"" + escaped + u"\", 1, 2 ) ");
}

}  // namespace
}  // namespace app

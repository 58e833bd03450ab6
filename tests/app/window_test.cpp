// The real window, driven by simulated clicks.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <vector>

#include "platform/codepage.h"
#include "tests/app/scene_build_support.h"
#include "tests/app/window_press.h"
#include "ui/message_box.h"
#include "ui/window.h"

namespace app {
namespace {

using namespace scenetest;
using namespace windowpress;
namespace drive = ui_driver;
using drive::SeenMessage;

std::vector<Text> ImageListTexts() {
  std::vector<Text> texts;
  for (int64_t i = 0; i < ui::ItemCount(ImageListBox); ++i) texts.push_back(ui::ItemText(ImageListBox, i, 0));
  return texts;
}

// Double-clicks the file list there and returns the message box it showed, answered with OK.
SeenMessage DoubleClickFileList(ui::Point at) {
  SeenMessage seen;
  drive::AnswerNextMessageBox(ui::kAnswerOk, &seen);
  drive::DoubleClickAt(FileListWidget, at);
  EXPECT_TRUE(DispatchQueued());
  return seen;
}

class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetAnsiCharset("UTF-8");
    old_cwd_ = fs::current_path();
    fs::current_path(templates_.path());
    int argc = 1;
    char name[] = "scene-builder";
    char* argv[] = {name, nullptr};
    ASSERT_TRUE(OpenMainWindow(argc, argv));
    ASSERT_TRUE(drive::WaitForWindowShown(MainWindow));
  }
  void TearDown() override {
    if (ui::WindowWidget(MainWindow)) ShutDown();
    fs::current_path(old_cwd_);
    platform::SetAnsiCharset("");
  }

  // A path below the test's folder, written with "/", in the system's own spelling.
  std::string In(const std::string& relative) const {
    return testsupport::Utf8FromPath((tree_.path() / testsupport::PathFromUtf8(relative)).make_preferred());
  }

  // Selects the test's folder through the tree's text, then opens and clicks down to `relative` (a
  // folder's ends in "/") as a user would.
  void Choose(const std::string& relative) {
    ui::WidgetSetText(FolderTreeWidget, runtime::TextFromUtf8(In("")));
    DispatchQueued();
    const std::vector<int64_t> selected = drive::SelectedItems(FolderTreeWidget);
    ASSERT_EQ(selected.size(), 1u);
    ASSERT_TRUE(ChooseInTree(selected[0], runtime::TextFromUtf8(In(relative)))) << relative;
  }

  TempDir templates_;
  TempDir tree_;
  fs::path old_cwd_;
};

// The scene's bytes are the scene build's to test; here what a press writes, where, and lists.
TEST_F(Window, ProcessListsTheChosenFoldersImagesAndAChosenFileGetsTheSceneNameAppended) {
  drive::Click(ProcessButton);  // with nothing chosen: nothing at all, not even the templates
  ASSERT_TRUE(DispatchQueued());
  EXPECT_FALSE(fs::exists(templates_.path() / "pov_image_read_A.txt"));
  templates_.Write("pov_image_read_A.txt", "H\n");
  const std::string photo = Fixture("photo.png");
  tree_.Write("pick/a.png", photo);
  tree_.Write("pick/empty", "");
  tree_.Mkdir("pick/sub");
  Choose("pick/");
  std::map<Text, Text> rows;
  for (int64_t i = 0; i < ui::ItemCount(FileListWidget); ++i)
    rows[ui::ItemText(FileListWidget, i, 0)] = ui::ItemText(FileListWidget, i, 1);
  const Text size = runtime::TextFromUtf8(std::to_string(photo.size()));
  EXPECT_EQ(rows, (std::map<Text, Text>{{u"a.png", size}, {u"empty", u"0"}}));
  drive::Click(ProcessButton);
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(ImageListTexts(), (std::vector<Text>{u"image list", u"a.png"}));
  EXPECT_EQ(ReadFileBytes(In("pick/image_scan.pov")), "H\r\n" + Line("a.png", 64, 32));
  Choose("pick/a.png");
  EXPECT_EQ(ui::ItemCount(FileListWidget), 0);
  drive::Click(ProcessButton);
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(ReadFileBytes(In("pick/a.png") + "image_scan.pov"), "H\r\n");
}

TEST_F(Window, AFolderRemovedAfterItWasChosenGivesTheQuestionMarkBox) {
  tree_.Mkdir("gone");
  Choose("gone/");
  fs::remove(tree_.path() / "gone");
  SeenMessage seen;
  drive::AnswerNextMessageBox(ui::kAnswerOk, &seen);
  drive::Click(ProcessButton);
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(seen.count, 1);
  EXPECT_EQ(seen.title, u"");
  EXPECT_EQ(seen.text, u"?????");
}

// A line break in a name would cut a list's item into columns: the lists show its symbol instead
// (Windows names cannot hold one). Below the last row nothing is selected: the header's title stands
// in for the name.
TEST_F(Window, TheListsShowANameAndDoubleClicksOnItsRowOrOnEmptySpaceTellIt) {
  const bool posix = platform::kPathSeparator == u'/';
  const Text shown = posix ? u"two\u240D\u240Alines.png" : u"two lines.png";
  tree_.Write(posix ? "list/two\r\nlines.png" : "list/two lines.png", Fixture("photo.png"));
  Choose("list/");
  ASSERT_EQ(ui::ItemCount(FileListWidget), 1);
  EXPECT_EQ(ui::ItemText(FileListWidget, 0, 0), shown);
  const ui::Rect row = drive::ItemRect(FileListWidget, 0);
  const SeenMessage on_row = DoubleClickFileList({row.x + row.width / 2, row.y + row.height / 2});
  EXPECT_EQ(on_row.count, 1);
  EXPECT_EQ(on_row.title, u"File Selected");
  EXPECT_EQ(on_row.text, runtime::TextConcat({u"You double-clicked: ", shown}));
  ui::WidgetSetState(FileListWidget, -1);
  DispatchQueued();
  EXPECT_EQ(DoubleClickFileList({5, drive::ControlGeometry(FileListWidget).height - 40}).text,
            u"You double-clicked: Name");
  drive::Click(ProcessButton);
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(ImageListTexts(), (std::vector<Text>{u"image list", shown}));
}

// The quit button's click lands while the process handler is busy scanning: the scan runs to its end,
// then the window closes and the loop ends with 0.
TEST_F(Window, QuitMadeDuringAScanIsActedOnAfterTheScan) {
  templates_.Write("pov_image_read_B.txt", "// foot\n");
  // Enough images that the scan outlasts the window's 30 ms between chances to run the timer.
  constexpr int kImages = 300;
  for (int i = 0; i < kImages; ++i) tree_.Write("many/img" + std::to_string(i) + ".png", Fixture("photo.png"));
  Choose("many/");
  int listed_at_click = -1;
  drive::RunSoon([&] {
    drive::Click(ProcessButton);
    drive::RunSoon([&] {
      listed_at_click = static_cast<int>(ui::ItemCount(ImageListBox)) - 1;
      drive::Click(QuitButton);
    });
  });
  EXPECT_EQ(RunEventLoop(), 0);
  EXPECT_GE(listed_at_click, 0);
  EXPECT_LT(listed_at_click, kImages);
  EXPECT_NE(ReadFileBytes(In("many/image_scan.pov")).find("// foot\r\n"), std::string::npos);
  EXPECT_EQ(ui::WindowWidget(MainWindow), nullptr);
}

TEST_F(Window, OpensWithItsCaptionsAndTheCloseBoxEndsTheLoopWithZero) {
  EXPECT_EQ(ui::WidgetText(ProcessButton), u" p r o c e s s ");
  EXPECT_EQ(ui::WidgetText(QuitButton), u" q u i t  ");
  EXPECT_EQ(ImageListTexts(), std::vector<Text>{u"image list"});
  EXPECT_EQ(ui::ItemText(FileListWidget, -1, 0), u"Name");
  EXPECT_EQ(ui::ItemText(FileListWidget, -1, 1), u"Size");
  EXPECT_EQ(drive::WindowTitle(MainWindow), u"SELECT DIRECTORTY TO SCAN FOR IMAGES");
  drive::RunSoon([] { drive::RequestClose(MainWindow); });
  EXPECT_EQ(RunEventLoop(), 0);
}

}  // namespace
}  // namespace app

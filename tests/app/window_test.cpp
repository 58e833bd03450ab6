// The real window, driven by simulated clicks.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <vector>

#include "app/shell.h"
#include "platform/codepage.h"
#include "platform/path.h"
#include "tests/app/fixtures.h"
#include "tests/app/scene_build_support.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/driver.h"
#include "ui/event_queue.h"
#include "ui/message_box.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::TempDir;

using apptest::Fixture;
using scenetest::InScene;
using scenetest::Listed;

const std::string kSeparator(1, static_cast<char>(platform::kPathSeparator));

namespace drive = ui_driver;
using drive::SeenMessage;

std::vector<Text> ImageListTexts() {
  std::vector<Text> texts;
  for (int64_t i = 0; i < ui::ItemCount(ImageListBox); ++i) texts.push_back(ui::ItemText(ImageListBox, i, 0));
  return texts;
}

ui::Point Centre(const ui::Rect& r) { return ui::Point{r.x + (r.width - 1) / 2, r.y + (r.height - 1) / 2}; }

// The tree's pre-order position of the item with this path, -1 when it holds none.
int64_t TreePosition(TextView path) {
  for (int64_t i = 1;; ++i) {
    const Text item = ui::ItemText(FolderTreeWidget, i, 0);
    if (item.empty()) return -1;
    if (item == path) return i;
  }
}

// Handles every event that simulated input has queued, as the program's loop would.
bool DispatchQueued() {
  bool running = true;
  while (running && ui::QueuedEventCount() > 0) running = DispatchEvent(ui::EventWait());
  return running;
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

  // Clicks a tree item (a pre-order position) as a user would, and handles what that queued.
  static void ClickTreeItem(int64_t item) {
    ASSERT_GE(item, 0);
    drive::ExpandItem(FolderTreeWidget, item);  // scrolls it into view
    const ui::Rect where = drive::ItemRect(FolderTreeWidget, item);
    ASSERT_GT(where.height, 0);
    // Deep items are indented past the narrow tree's middle: click near the start of the label.
    drive::ClickAt(FolderTreeWidget, {where.x + 12, where.y + (where.height - 1) / 2});
    ASSERT_TRUE(DispatchQueued());
  }

  // A path below the test's folder, written with "/", in the system's own spelling.
  std::string In(const std::string& relative) const { return tree_.str() + kSeparator + Listed(relative); }

  // Selects a folder (or file) in the tree with a real click on its item.
  void ChooseInTree(const std::string& path) {
    const std::string parent = path.substr(0, path.find_last_of(kSeparator) + 1);
    // Bring the item into view through the tree's text, then click it as a user would.
    ui::WidgetSetText(FolderTreeWidget, runtime::TextFromUtf8(parent));
    DispatchQueued();
    const int64_t parent_item = TreePosition(runtime::TextFromUtf8(parent));
    ASSERT_GE(parent_item, 0) << path;
    drive::ExpandItem(FolderTreeWidget, parent_item);
    const Text wanted = runtime::TextFromUtf8(path);
    const Text as_folder = runtime::TextFromUtf8(path + kSeparator);
    int64_t target = TreePosition(wanted);
    if (target < 0) target = TreePosition(as_folder);
    ASSERT_GE(target, 0) << path;
    ClickTreeItem(target);
    ASSERT_TRUE(ui::WidgetText(FolderTreeWidget) == wanted || ui::WidgetText(FolderTreeWidget) == as_folder) << path;
  }

  TempDir templates_;
  TempDir tree_;
  fs::path old_cwd_;
};

TEST_F(Window, OpensWithItsCaptionsInsideTheScreensAvailableArea) {
  EXPECT_EQ(ui::WidgetText(ProcessButton), u" p r o c e s s ");
  EXPECT_EQ(ui::WidgetText(QuitButton), u" q u i t  ");
  EXPECT_EQ(ImageListTexts(), std::vector<Text>{u"image list"});
  EXPECT_EQ(ui::ItemText(FileListWidget, -1, 0), u"Name");
  EXPECT_EQ(ui::ItemText(FileListWidget, -1, 1), u"Size");
  EXPECT_EQ(drive::WindowTitle(MainWindow), u"SELECT DIRECTORTY TO SCAN FOR IMAGES");
  // The offscreen screen is 800 pixels wide, too narrow for the window's designed place at x = 800.
  const ui::Rect area = drive::ScreenArea(MainWindow);
  const ui::Rect frame = drive::WindowFrame(MainWindow);
  EXPECT_TRUE(frame.x >= area.x && frame.y >= area.y && frame.x + frame.width <= area.x + area.width &&
              frame.y + frame.height <= area.y + area.height)
      << frame.x;
  EXPECT_EQ(frame.y, area.y + 100);
  EXPECT_EQ(drive::WindowClientSize(MainWindow), (ui::Size{600, 600}));
}

TEST_F(Window, ProcessWritesTheSceneAndListsEveryImageTwiceOnTwoPresses) {
  drive::Click(ProcessButton);  // with nothing selected: nothing at all, not even the templates
  ASSERT_TRUE(DispatchQueued());
  EXPECT_FALSE(fs::exists(templates_.path() / "pov_image_read_A.txt"));
  templates_.Write("pov_image_read_A.txt", "// head\n");
  templates_.Write("pov_image_read_B.txt", "// foot\r\n");
  tree_.Write("top/sub/photo.png", Fixture("photo.png"));
  ChooseInTree(In("top"));
  drive::Click(ProcessButton);
  ASSERT_TRUE(DispatchQueued());
  const std::string scene = In("top/image_scan.pov");
  const std::string expected = "// head\r\nadd_image ( \"" + InScene("sub/photo.png") + "\", 64, 32 ) \r\n// foot\r\n";
  EXPECT_EQ(ReadFileBytes(scene), expected);
  drive::Click(ProcessButton);
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(ReadFileBytes(scene), expected);
  const Text listed = runtime::TextFromUtf8(Listed("sub/photo.png"));
  EXPECT_EQ(ImageListTexts(), (std::vector<Text>{u"image list", listed, listed}));
}

TEST_F(Window, AFolderListsItsFilesWithSizesAndAChosenFileGetsTheSceneNameAppended) {
  templates_.Write("pov_image_read_A.txt", "H\n");
  templates_.Write("pov_image_read_B.txt", "F\n");
  tree_.Write("pick/a.txt", "12345");
  tree_.Write("pick/empty", "");
  tree_.Mkdir("pick/sub");
  ChooseInTree(In("pick"));
  std::map<Text, Text> rows;
  for (int64_t i = 0; i < ui::ItemCount(FileListWidget); ++i)
    rows[ui::ItemText(FileListWidget, i, 0)] = ui::ItemText(FileListWidget, i, 1);
  EXPECT_EQ(rows, (std::map<Text, Text>{{u"a.txt", u"5"}, {u"empty", u"0"}}));

  const std::string file = In("pick/a.txt");
  ChooseInTree(file);
  EXPECT_EQ(ui::WidgetText(FolderTreeWidget), runtime::TextFromUtf8(file));
  EXPECT_EQ(ui::ItemCount(FileListWidget), 0);
  drive::Click(ProcessButton);
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(ReadFileBytes(file + "image_scan.pov"), "H\r\nF\r\n");
}

TEST_F(Window, AFolderRemovedAfterItWasChosenGivesTheQuestionMarkBox) {
  tree_.Mkdir("gone");
  ChooseInTree(In("gone"));
  fs::remove(tree_.path() / "gone");
  SeenMessage seen;
  drive::AnswerNextMessageBox(ui::kAnswerOk, &seen);
  drive::Click(ProcessButton);
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(seen.count, 1);
  EXPECT_EQ(seen.title, u"");
  EXPECT_EQ(seen.text, u"?????");
}

TEST_F(Window, DoubleClickOnARowAndOnEmptySpaceShowsTheName) {
  tree_.Write("list/only.txt", "x");
  ChooseInTree(In("list"));
  ASSERT_EQ(ui::ItemCount(FileListWidget), 1);
  const ui::Point on_row = Centre(drive::ItemRect(FileListWidget, 0));
  SeenMessage seen;
  drive::AnswerNextMessageBox(ui::kAnswerOk, &seen);
  drive::DoubleClickAt(FileListWidget, on_row);
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(seen.count, 1);
  EXPECT_EQ(seen.title, u"File Selected");
  EXPECT_EQ(seen.text, u"You double-clicked: only.txt");

  // below the last row nothing is selected any more: the header's title stands in
  ui::WidgetSetState(FileListWidget, -1);
  DispatchQueued();
  drive::AnswerNextMessageBox(ui::kAnswerOk, &seen);
  const ui::Point empty{5, drive::ControlGeometry(FileListWidget).height - 40};  // well below the row
  drive::DoubleClickAt(FileListWidget, empty);
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(seen.count, 2);
  EXPECT_EQ(seen.text, u"You double-clicked: Name");
}

// A carriage return or line feed in a name is shown as its symbol everywhere on screen, while the
// tree's path and the scan keep the real name.
TEST_F(Window, LineBreaksInANameAreShownAsSymbolsAndTheFileIsStillFound) {
  if (platform::kPathSeparator != u'/') GTEST_SKIP() << "Windows names cannot hold line breaks";
  const std::string name = "two\r\nlines.png";
  const Text shown = u"two\u240D\u240Alines.png";
  tree_.Write("breaks/" + name, Fixture("photo.png"));
  ChooseInTree(tree_.str() + "/breaks");

  ASSERT_EQ(ui::ItemCount(FileListWidget), 1);
  EXPECT_EQ(ui::ItemText(FileListWidget, 0, 0), shown);
  const Text folder = runtime::TextFromUtf8(tree_.str() + "/breaks/");
  drive::ExpandItem(FolderTreeWidget, TreePosition(folder));
  const Text file = runtime::TextFromUtf8(tree_.str() + "/breaks/" + name);
  const int64_t item = TreePosition(file);
  ASSERT_GE(item, 0);
  EXPECT_EQ(drive::ShownItemText(FolderTreeWidget, item), shown);
  ClickTreeItem(item);
  EXPECT_EQ(ui::WidgetText(FolderTreeWidget), file);
  ClickTreeItem(TreePosition(folder));
  ASSERT_TRUE(DispatchQueued());

  drive::Click(ProcessButton);
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(ImageListTexts(), (std::vector<Text>{u"image list", shown}));

  SeenMessage seen;
  drive::AnswerNextMessageBox(ui::kAnswerOk, &seen);
  drive::DoubleClickAt(FileListWidget, Centre(drive::ItemRect(FileListWidget, 0)));
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(seen.text, runtime::TextConcat({u"You double-clicked: ", shown}));
}

TEST_F(Window, QuitMadeDuringAScanIsActedOnAfterTheScan) {
  templates_.Write("pov_image_read_B.txt", "// foot\n");
  // Enough images that the scan outlasts the window's 30 ms between chances to run the timer.
  constexpr int kImages = 300;
  for (int i = 0; i < kImages; ++i) tree_.Write("many/img" + std::to_string(i) + ".png", Fixture("photo.png"));
  ChooseInTree(In("many"));
  // The quit click lands while the process handler is busy scanning.
  int listed_at_click = -1;
  drive::RunSoon([&] {
    drive::Click(ProcessButton);
    drive::RunSoon([&] {
      listed_at_click = static_cast<int>(ui::ItemCount(ImageListBox)) - 1;
      drive::Click(QuitButton);
    });
  });
  const int code = RunEventLoop();
  EXPECT_EQ(code, 0);
  // the click came while the scan was under way (the window kept running its timers)
  EXPECT_GE(listed_at_click, 0);
  EXPECT_LT(listed_at_click, kImages);
  // the scan ran to its end before the quit was acted on
  const std::string scene = ReadFileBytes(In("many/image_scan.pov"));
  EXPECT_NE(scene.find("// foot\r\n"), std::string::npos);
  EXPECT_EQ(ui::WindowWidget(MainWindow), nullptr);
}

TEST_F(Window, CloseBoxEndsTheLoopWithExitCodeZero) {
  drive::RunSoon([] { drive::RequestClose(MainWindow); });
  EXPECT_EQ(RunEventLoop(), 0);
}

TEST_F(Window, QuitButtonClosesTheWindowAndEndsWithZero) {
  drive::RunSoon([] { drive::Click(QuitButton); });
  EXPECT_EQ(RunEventLoop(), 0);
  EXPECT_EQ(ui::WindowWidget(MainWindow), nullptr);
}

}  // namespace
}  // namespace app

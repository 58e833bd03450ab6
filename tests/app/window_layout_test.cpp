// The real window as it follows its size and its screen, shows sizes, and opens where the user was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/last_folder.h"
#include "app/window_layout.h"
#include "platform/codepage.h"
#include "tests/app/scene_build_support.h"
#include "tests/app/window_press.h"
#include "ui/window.h"

namespace app {
namespace {

using namespace scenetest;
using namespace windowpress;
namespace drive = ui_driver;

constexpr int64_t kControls[] = {FolderTreeWidget, FileListWidget, ProcessButton, QuitButton, ImageListBox};

bool Overlap(const ui::Rect& a, const ui::Rect& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

class WindowLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetAnsiCharset("UTF-8");
    old_cwd_ = fs::current_path();
    fs::current_path(templates_.path());
    fs::remove_all(fs::path(testsupport::PathFromUtf8(runtime::TextToUtf8(LastFolderFile()))).parent_path());
    Open();
  }
  void TearDown() override {
    if (ui::WindowWidget(MainWindow)) ShutDown();
    fs::current_path(old_cwd_);
    platform::SetAnsiCharset("");
  }
  static void Open() {
    int argc = 1;
    char name[] = "scene-builder";
    char* argv[] = {name, nullptr};
    ASSERT_TRUE(OpenMainWindow(argc, argv));
    ASSERT_TRUE(drive::WaitForWindowShown(MainWindow));
    DispatchQueued();
  }
  static void Reopen() {
    ShutDown();
    Open();
  }
  // A folder below the test's tree, ending in the system's separator, as the tree names it.
  Text Folder(const std::string& relative) const {
    return runtime::TextFromUtf8(tree_.Mkdir(relative) + static_cast<char>(platform::kPathSeparator));
  }
  void Choose(const Text& folder) {
    ui::WidgetSetText(FolderTreeWidget, folder);
    ASSERT_TRUE(DispatchQueued());
    ASSERT_EQ(ui::WidgetText(FolderTreeWidget), folder);
  }
  // Every control lies in the client area, apart from every other, and the file list's size column
  // lies whole in its visible width with its numbers kept to the right, whole.
  static void ExpectFilled(ui::Size client) {
    SCOPED_TRACE(std::to_string(client.width) + " x " + std::to_string(client.height));
    for (size_t i = 0; i < std::size(kControls); ++i) {
      const ui::Rect r = drive::ControlGeometry(kControls[i]);
      EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.width <= client.width && r.y + r.height <= client.height) << i;
      for (size_t j = 0; j < i; ++j) EXPECT_FALSE(Overlap(r, drive::ControlGeometry(kControls[j]))) << i << j;
    }
    for (int64_t row = 0; row < ui::ItemCount(FileListWidget); ++row) {
      const drive::CellView size = drive::ShownCell(FileListWidget, row, 1);
      EXPECT_LE(size.cell.x + size.cell.width, size.visible_width) << row;
      EXPECT_TRUE(size.whole && size.right_aligned) << row;
      EXPECT_GE(drive::ShownCell(FileListWidget, row, 0).cell.width, size.visible_width / 3) << row;
    }
  }

  TempDir templates_;
  TempDir tree_;
  fs::path old_cwd_;
};

// The first design's places, in 1/96 inch, of the tree, the file list, the two buttons and the list box.
constexpr ui::Rect kFirstDesign[] = {
    {10, 10, 200, 300}, {220, 10, 300, 300}, {10, 315, 100, 30}, {310, 315, 100, 30}, {10, 350, 500, 200}};

TEST_F(WindowLayout, TheDesignedSizeKeepsTheFirstDesignAndOtherSizesFillTheWindow) {
  for (int i = 0; i < 40; ++i) tree_.Write("sizes/f" + std::to_string(i), "x");
  tree_.Write("sizes/big", std::string(1871870, 'x'));
  Choose(Folder("sizes"));
  const ui::Size designed{ui::ScaleX(600), ui::ScaleY(600)};
  ASSERT_EQ(drive::WindowClientSize(MainWindow), designed);
  const auto expect_design = [] {
    for (size_t i = 0; i < std::size(kControls); ++i) {
      const ui::Rect d = kFirstDesign[i];
      const ui::ScaledRect s = ui::ScaleRect(d.x, d.y, d.width, d.height);
      EXPECT_EQ(drive::ControlGeometry(kControls[i]), (ui::Rect{s.x, s.y, s.width, s.height})) << i;
    }
  };
  expect_design();
  ExpectFilled(designed);

  for (const ui::Size near : {ui::Size{600, 575}, ui::Size{590, 600}}) {
    drive::ResizeWindow(MainWindow, near);
    ExpectFilled(near);
  }
  const ui::Size large{ui::ScaleX(1000), ui::ScaleY(800)};
  drive::ResizeWindow(MainWindow, large);
  ASSERT_EQ(drive::WindowClientSize(MainWindow), large);
  ExpectFilled(large);
  // The tree and the list share the extra width, the list box takes the extra height.
  EXPECT_EQ(drive::ControlGeometry(FolderTreeWidget).width, ui::ScaleX(400));
  EXPECT_EQ(drive::ControlGeometry(FileListWidget).width, ui::ScaleX(500));
  EXPECT_EQ(drive::ControlGeometry(ImageListBox).height, ui::ScaleY(400));
  EXPECT_EQ(drive::ControlGeometry(QuitButton).width, ui::ScaleX(100));

  // Dragged smaller than its least, the window stops there.
  drive::ResizeWindow(MainWindow, ui::Size{ui::ScaleX(200), ui::ScaleY(200)});
  const ui::Size least{ui::ScaleX(kLeastClient.width), ui::ScaleY(kLeastClient.height)};
  ASSERT_EQ(drive::WindowClientSize(MainWindow), least);
  ExpectFilled(least);
  EXPECT_GT(drive::ControlGeometry(ImageListBox).height, ui::ScaleY(60));

  drive::ResizeWindow(MainWindow, designed);
  expect_design();
}

// Run also on screens of 1024 x 600 and of 1920 x 1080 at 200 %.
TEST_F(WindowLayout, TheWindowFitsItsScreenFrameAndTitleBarIncluded) {
  const ui::Rect frame = drive::WindowFrame(MainWindow);
  const ui::Rect area = drive::AvailableArea(MainWindow);
  EXPECT_TRUE(frame.x >= area.x && frame.y >= area.y && frame.x + frame.width <= area.x + area.width &&
              frame.y + frame.height <= area.y + area.height)
      << frame.x << "," << frame.y << " " << frame.width << "x" << frame.height << " in " << area.width << "x"
      << area.height;
  const ui::Size client = drive::WindowClientSize(MainWindow);
  EXPECT_GE(client.width, ui::ScaleX(kLeastClient.width));
  EXPECT_GE(client.height, ui::ScaleY(kLeastClient.height));
  ExpectFilled(client);
}

TEST_F(WindowLayout, SelectionsStayMarkedAndTheWindowShowsTheProgramsIcon) {
  EXPECT_TRUE(drive::SelectionShownWithoutFocus(FolderTreeWidget));
  EXPECT_TRUE(drive::SelectionShownWithoutFocus(FileListWidget));
#if !defined(_WIN32)  // there the window class takes it from the program's resources, which tests lack
  EXPECT_TRUE(drive::WindowHasOwnIcon(MainWindow));
#endif
}

TEST_F(WindowLayout, TheFolderProcessedLastIsOpenedAgainUnlessItIsGone) {
  const Text kept = Folder("kept");
  tree_.Write("kept/a.txt", "a");
  Choose(kept);
  drive::Click(ProcessButton);
  ASSERT_TRUE(DispatchQueued());
  Reopen();
  EXPECT_EQ(ui::WidgetText(FolderTreeWidget), kept);
  EXPECT_EQ(ui::ItemText(FileListWidget, 0, 0), u"a.txt");  // listed as a click lists it

  fs::remove_all(tree_.path() / "kept");
  Reopen();
  EXPECT_EQ(ui::WidgetText(FolderTreeWidget), u"");
  // A settings folder that is a file: nothing is kept, nothing is said.
  const fs::path settings = fs::path(testsupport::PathFromUtf8(runtime::TextToUtf8(LastFolderFile()))).parent_path();
  fs::remove_all(settings);
  std::ofstream(settings) << "not a folder";
  Choose(Folder("other"));
  drive::Click(ProcessButton);
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(RememberedFolder(), u"");
}

TEST_F(WindowLayout, WindowOptionOpensAtItsFolderAndADropSelectsAFolderOrAFilesFolder) {
  const struct {
    std::vector<const char*> arguments;
    CommandAction action;
    std::string folder;
  } lines[] = {
      {{"--window", "pics"}, CommandAction::kWindow, "pics"},
      {{"--window=pics"}, CommandAction::kWindow, "pics"},
      {{"--window"}, CommandAction::kRefuse, ""},
      {{"--window", "a", "b"}, CommandAction::kRefuse, ""},
      {{"--jobs", "2", "--window", "a"}, CommandAction::kRefuse, ""},
  };
  for (const auto& line : lines) {
    std::vector<const char*> argv = {"scene-builder"};
    argv.insert(argv.end(), line.arguments.begin(), line.arguments.end());
    const CommandLineRecord record = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(record.action, line.action) << line.arguments.size();
    EXPECT_EQ(record.folder, line.action == CommandAction::kWindow ? line.folder : record.folder);
  }
  // The tree lists a folder's children once: what is dropped exists before the window opens.
  const Text dropped = Folder("dropped");
  const std::string file = tree_.Write("dropped/inner/b.txt", "b");
  const Text start = Folder("start");
  EXPECT_FALSE(SetStartFolderArgument(runtime::TextToUtf8(start) + "missing"));
  ASSERT_TRUE(SetStartFolderArgument(runtime::TextToUtf8(start)));
  Reopen();
  EXPECT_EQ(ui::WidgetText(FolderTreeWidget), start);

  drive::DropPaths(MainWindow, {tree_.str() + "/no such thing", runtime::TextToUtf8(dropped)});
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(ui::WidgetText(FolderTreeWidget), dropped);
  drive::DropPaths(MainWindow, {file});
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(ui::WidgetText(FolderTreeWidget), Folder("dropped/inner"));
  EXPECT_EQ(ui::ItemText(FileListWidget, 0, 0), u"b.txt");
  SetStartFolderArgument("");
}

}  // namespace
}  // namespace app

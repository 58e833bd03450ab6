// The real window, driven by simulated clicks.
#include <gtest/gtest.h>

#include <png.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "tests/app/scene_build_support.h"
#include "tests/app/window_press.h"
#include "tests/image/encoders.h"
#include "ui/message_box.h"
#include "ui/status_line.h"
#include "ui/window.h"

namespace app {
namespace {

using namespace scenetest;
using namespace windowpress;
namespace drive = ui_driver;
using drive::SeenMessage;

using Clock = std::chrono::steady_clock;
using testsupport::PathFromUtf8;

std::string Utf8(TextView text) { return runtime::TextToUtf8(text); }

Text SizeText(uint64_t size) { return runtime::TextFromUtf8(std::to_string(size)); }

std::vector<Text> ImageListTexts() {
  std::vector<Text> texts;
  for (int64_t i = 0; i < ui::ItemCount(ImageListBox); ++i) texts.push_back(ui::ItemText(ImageListBox, i, 0));
  return texts;
}

std::map<Text, Text> FileRows() {
  std::map<Text, Text> rows;
  for (int64_t i = 0; i < ui::ItemCount(FileListWidget); ++i)
    rows[ui::ItemText(FileListWidget, i, 0)] = ui::ItemText(FileListWidget, i, 1);
  return rows;
}

// A large, plain picture: little to store, tens of milliseconds to decode.
const std::string& SlowPicture() {
  static const std::string picture = [] {
    testimg::PngSource source{4000, 4000, PNG_COLOR_TYPE_RGB};
    source.samples.assign(size_t{4000} * 4000 * 3, 200);
    const testimg::Bytes bytes = testimg::EncodePng(source);
    return std::string(bytes.begin(), bytes.end());
  }();
  return picture;
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

  // Hidden temporary scenes left in a folder below the test's.
  int LeftoverTemporaries(const std::string& relative) const {
    int found = 0;
    for (const auto& entry : fs::directory_iterator(tree_.path() / relative))
      if (entry.path().filename().string().rfind(".image_scan.pov.", 0) == 0) ++found;
    return found;
  }

  TempDir templates_;
  TempDir tree_;
  fs::path old_cwd_;
};

// The scene's bytes are the scene build's to test; here what a press writes, where, lists and says.
TEST_F(Window, ProcessWritesTheChosenFoldersSceneAndSaysSoAndAChosenFileWritesNothing) {
  EXPECT_EQ(ui::StatusLineText(MainWindow), u"Pick a folder, then press process");
  drive::Click(ProcessButton);  // with nothing chosen: nothing at all, not even the templates
  ASSERT_TRUE(DispatchQueued());
  EXPECT_FALSE(fs::exists(templates_.path() / "pov_image_read_A.txt"));
  templates_.Write("pov_image_read_A.txt", "H\n");
  const std::string photo = Fixture("photo.png");
  tree_.Write("pick/a.png", photo);
  tree_.Write("pick/empty", "");
  tree_.Mkdir("pick/sub");
  Choose("pick/");
  const Text folder = runtime::TextFromUtf8(In("pick/"));
  EXPECT_EQ(ui::StatusLineText(MainWindow), u"Press process to write image_scan.pov into " + folder);
  EXPECT_EQ(FileRows(), (std::map<Text, Text>{{u"a.png", SizeText(photo.size())}, {u"empty", u"0"}}));
  drive::Click(ProcessButton);
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(ImageListTexts(), (std::vector<Text>{u"image list", u"a.png"}));
  const std::string scene = ReadFileBytes(In("pick/image_scan.pov"));
  EXPECT_EQ(scene, "H\r\n" + Line("a.png", 64, 32));
  // The new scene shows in the file list at once, and the line says where it went.
  EXPECT_EQ(FileRows()[u"image_scan.pov"], SizeText(scene.size()));
  const Text done = ui::StatusLineText(MainWindow);
  EXPECT_EQ(done.substr(0, done.find(u" in ")), u"Wrote " + folder + u"image_scan.pov: 1 image") << Utf8(done);
  const Text footer_missing = u"; no readable template pov_image_read_B.txt (counted as empty)";
  EXPECT_EQ(done.substr(done.size() - footer_missing.size()), footer_missing) << Utf8(done);
  EXPECT_TRUE(ui::WidgetEnabled(ProcessButton));
  EXPECT_TRUE(ui::WidgetHasFocus(ProcessButton));  // back from the list box, which held it meanwhile

  Choose("pick/a.png");
  EXPECT_EQ(ui::ItemCount(FileListWidget), 0);
  drive::Click(ProcessButton);
  ASSERT_TRUE(DispatchQueued());
  EXPECT_FALSE(fs::exists(PathFromUtf8(In("pick/a.png") + "image_scan.pov")));
  EXPECT_EQ(ui::StatusLineText(MainWindow),
            runtime::TextFromUtf8(In("pick/a.png")) + u" is a file: pick a folder, then press process");
  EXPECT_EQ(ImageListTexts().size(), 2u);
}

TEST_F(Window, AFolderRemovedAfterItWasChosenGivesTheQuestionMarkBoxAndTheReason) {
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
  const Text scene = runtime::TextFromUtf8(In("gone/image_scan.pov"));
  EXPECT_EQ(
      ui::StatusLineText(MainWindow),
      u"Could not write " + scene + u": " + runtime::TextFromUtf8(std::strerror(ENOENT)) + u"; nothing was written");
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

// Each way out of a long scan, pressed while it runs: the scan stops at once, the previous scene
// stays byte for byte and no temporary file is left. Quit and the close box end the program with 0;
// Escape leaves the window open and ready for the next press.
enum class Way { QuitButton, CloseBox, Escape };

class StopScan : public Window, public ::testing::WithParamInterface<Way> {};

TEST_P(StopScan, StopsTheScanAndKeepsThePreviousScene) {
  // Hard links of one picture that takes a while to decode: the whole scan would take seconds. Few
  // files, since the file list shows each of them with the system's icon.
  constexpr int kImages = 150;
  const std::string first = tree_.Write("many/0000.png", SlowPicture());
  for (int i = 1; i < kImages; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "many/%04d.png", i);
    fs::create_hard_link(PathFromUtf8(first), tree_.path() / PathFromUtf8(name));
  }
  const std::string previous = "// the scene before\r\n";
  tree_.Write("many/image_scan.pov", previous);
  Choose("many/");

  const Way way = GetParam();
  bool greyed = false;
  int64_t ink = 0;
  Text status;
  Clock::time_point pressed;
  // Runs inside the scan each time it lets the window take input, until a good many images are listed.
  std::function<void()> stop_midway = [&] {
    if (ui::ItemCount(ImageListBox) <= 20) return drive::RunSoon(stop_midway);
    greyed = !ui::WidgetEnabled(ProcessButton);
    ink = drive::ShownInkPixels(ImageListBox);  // the rows found so far are on the screen
    status = ui::StatusLineText(MainWindow);
    drive::Click(ProcessButton);  // dropped, not queued for later
    pressed = Clock::now();
    if (way == Way::QuitButton) drive::Click(QuitButton);
    if (way == Way::CloseBox) drive::RequestClose(MainWindow);
    if (way == Way::Escape) drive::PressKey(MainWindow, drive::Key::Escape);
  };
  drive::RunSoon([&] {
    drive::Click(ProcessButton);
    drive::RunSoon(stop_midway);
  });
  if (way == Way::Escape) {
    drive::Process();
    ASSERT_TRUE(DispatchQueued());
  } else {
    EXPECT_EQ(RunEventLoop(), 0);
    EXPECT_EQ(ui::WindowWidget(MainWindow), nullptr);
  }
  const double stop_seconds = std::chrono::duration<double>(Clock::now() - pressed).count();
  std::printf("stopped %.3f s after the press\n", stop_seconds);
  EXPECT_LT(stop_seconds, 2.0);  // a whole scan takes far longer
  EXPECT_TRUE(greyed);
  EXPECT_GT(ink, 0);
  EXPECT_EQ(status.rfind(u"Scanning " + runtime::TextFromUtf8(In("many/")), 0), 0u) << Utf8(status);
  EXPECT_EQ(ReadFileBytes(In("many/image_scan.pov")), previous);
  EXPECT_EQ(LeftoverTemporaries("many"), 0);
  if (way != Way::Escape) return;
  const int64_t listed = ui::ItemCount(ImageListBox) - 1;
  EXPECT_LT(listed, kImages);
  EXPECT_EQ(ui::StatusLineText(MainWindow),
            u"Stopped after " + SizeText(static_cast<uint64_t>(listed)) + (listed == 1 ? u" image: " : u" images: ") +
                runtime::TextFromUtf8(In("many/image_scan.pov")) + u" was left as it was");
  EXPECT_TRUE(ui::WidgetEnabled(ProcessButton));
  EXPECT_EQ(ui::QueuedEventCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Ways, StopScan, ::testing::Values(Way::QuitButton, Way::CloseBox, Way::Escape));

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

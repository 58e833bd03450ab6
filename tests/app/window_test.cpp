// The real window, driven by simulated clicks on the offscreen platform.
#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTableWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>

#include "app/shell.h"
#include "platform/codepage.h"
#include "tests/app/fixtures.h"
#include "tests/support/temp_dir.h"
#include "ui/event_queue.h"
#include "ui/widget.h"
#include "ui/window.h"
#include "ui/qt/qt_ui.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::TempDir;

using apptest::Fixture;

QTreeWidget* Tree() { return qobject_cast<QTreeWidget*>(ui::QtControl(FolderTreeWidget)); }
QTableWidget* FileList() { return qobject_cast<QTableWidget*>(ui::QtControl(FileListWidget)); }
QListWidget* ImageList() { return qobject_cast<QListWidget*>(ui::QtControl(ImageListBox)); }

QStringList ImageListTexts() {
  QStringList texts;
  for (int i = 0; i < ImageList()->count(); ++i) texts << ImageList()->item(i)->text();
  return texts;
}

// Handles every event that simulated input has queued, as the program's loop would.
bool DispatchQueued() {
  bool running = true;
  while (running && ui::QueuedEventCount() > 0) running = DispatchEvent(ui::EventWait());
  return running;
}

void Click(QWidget* widget) {
  QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

// Answers the next message box with OK and returns its title and text.
struct SeenBox {
  QString title, text;
  int count = 0;
};
void AnswerNextMessageBox(SeenBox* seen) {
  QTimer::singleShot(20, [seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return AnswerNextMessageBox(seen);
    seen->title = box->windowTitle();
    seen->text = box->text();
    ++seen->count;
    box->button(QMessageBox::Ok)->click();
  });
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
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ui::QtWindow(MainWindow)));
  }
  void TearDown() override {
    if (ui::QtWindow(MainWindow)) ShutDown();
    fs::current_path(old_cwd_);
    platform::SetAnsiCharset("");
  }

  // Selects a folder (or file) in the tree with a real click on its item.
  void ChooseInTree(const std::string& path) {
    const fs::path p(path);
    // Bring the item into view through the tree's text, then click it as a user would.
    ui::WidgetSetText(FolderTreeWidget, runtime::TextFromUtf8(p.parent_path().string() + "/"));
    DispatchQueued();
    QTreeWidgetItem* parent = Tree()->currentItem();
    ASSERT_NE(parent, nullptr);
    parent->setExpanded(true);
    QTreeWidgetItem* target = nullptr;
    for (int i = 0; i < parent->childCount(); ++i)
      if (parent->child(i)->text(0) == QString::fromStdString(p.filename().string())) target = parent->child(i);
    ASSERT_NE(target, nullptr) << path;
    Tree()->scrollToItem(target);
    QCoreApplication::processEvents();  // let the view lay out the expanded items
    const QRect where = Tree()->visualItemRect(target);
    // Deep items are indented past the narrow tree's middle: click near the start of the label.
    const QPoint at(where.left() + 12, where.center().y());
    ASSERT_TRUE(where.isValid() && Tree()->viewport()->rect().contains(at)) << path;
    QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, at);
    ASSERT_EQ(Tree()->currentItem(), target);
    ASSERT_TRUE(DispatchQueued());
  }

    TempDir templates_;
  TempDir tree_;
  fs::path old_cwd_;
};

TEST_F(Window, WidgetsHaveTheirCaptionsAndTheListBoxItsFirstItem) {
  EXPECT_EQ(ui::WidgetText(ProcessButton), u" p r o c e s s ");
  EXPECT_EQ(ui::WidgetText(QuitButton), u" q u i t  ");
  EXPECT_EQ(ImageListTexts(), QStringList{"image list"});
  EXPECT_EQ(ui::ItemText(FileListWidget, -1, 0), u"Name");
  EXPECT_EQ(ui::ItemText(FileListWidget, -1, 1), u"Size");
  EXPECT_EQ(ui::QtWindow(MainWindow)->windowTitle(), "SELECT DIRECTORTY TO SCAN FOR IMAGES");
}

// The offscreen screen is 800 pixels wide, too narrow for the window's designed place at x = 800.
TEST_F(Window, TheWindowOpensInsideTheScreensAvailableArea) {
  QWidget* window = ui::QtWindow(MainWindow);
  const QRect area = window->screen()->availableGeometry();
  EXPECT_TRUE(area.contains(window->frameGeometry())) << window->frameGeometry().x();
  EXPECT_EQ(window->frameGeometry().top(), area.top() + 100);
  EXPECT_EQ(window->size(), QSize(600, 600));
}

TEST_F(Window, ChoosingAFolderListsItsFilesWithSizes) {
  tree_.Write("pick/a.txt", "12345");
  tree_.Write("pick/empty", "");
  tree_.Mkdir("pick/sub");
  ChooseInTree(tree_.str() + "/pick");
  std::map<QString, QString> rows;
  for (int i = 0; i < FileList()->rowCount(); ++i) rows[FileList()->item(i, 0)->text()] = FileList()->item(i, 1)->text();
  EXPECT_EQ(rows, (std::map<QString, QString>{{"a.txt", "5"}, {"empty", "0"}}));
}

TEST_F(Window, ProcessWritesTheSceneAndListsEveryImageTwiceOnTwoPresses) {
  templates_.Write("pov_image_read_A.txt", "// head\n");
  templates_.Write("pov_image_read_B.txt", "// foot\r\n");
  tree_.Write("top/sub/photo.png", Fixture("photo.png"));
  ChooseInTree(tree_.str() + "/top");
  Click(ui::QtControl(ProcessButton));
  ASSERT_TRUE(DispatchQueued());
  const std::string scene = tree_.str() + "/top/image_scan.pov";
  const std::string expected = "// head\r\nadd_image ( \"sub/photo.png\", 64, 32 ) \r\n// foot\r\n";
  EXPECT_EQ(ReadFileBytes(scene), expected);
  Click(ui::QtControl(ProcessButton));
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(ReadFileBytes(scene), expected);
  EXPECT_EQ(ImageListTexts(), (QStringList{"image list", "sub/photo.png", "sub/photo.png"}));
}

TEST_F(Window, ProcessWithNothingSelectedDoesNothing) {
  Click(ui::QtControl(ProcessButton));
  ASSERT_TRUE(DispatchQueued());
  EXPECT_FALSE(fs::exists(templates_.path() / "pov_image_read_A.txt"));
  EXPECT_EQ(ImageListTexts(), QStringList{"image list"});
}

TEST_F(Window, SelectedFileGetsTheSceneNameAppended) {
  templates_.Write("pov_image_read_A.txt", "H\n");
  templates_.Write("pov_image_read_B.txt", "F\n");
  const std::string file = tree_.Write("d/a.jpg", Fixture("pic.jpg"));
  ChooseInTree(file);
  EXPECT_EQ(ui::WidgetText(FolderTreeWidget), runtime::TextFromUtf8(file));
  EXPECT_EQ(FileList()->rowCount(), 0);
  Click(ui::QtControl(ProcessButton));
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(ReadFileBytes(file + "image_scan.pov"), "H\r\nF\r\n");
}

TEST_F(Window, AFolderRemovedAfterItWasChosenGivesTheQuestionMarkBox) {
  tree_.Mkdir("gone");
  ChooseInTree(tree_.str() + "/gone");
  fs::remove(tree_.path() / "gone");
  SeenBox seen;
  AnswerNextMessageBox(&seen);
  Click(ui::QtControl(ProcessButton));
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(seen.count, 1);
  EXPECT_EQ(seen.title, "");
  EXPECT_EQ(seen.text, "?????");
}

TEST_F(Window, DoubleClickOnARowAndOnEmptySpaceShowsTheName) {
  tree_.Write("list/only.txt", "x");
  ChooseInTree(tree_.str() + "/list");
  QTableWidgetItem* row = FileList()->item(0, 0);
  ASSERT_NE(row, nullptr);
  const QPoint on_row = FileList()->visualItemRect(row).center();
  SeenBox seen;
  AnswerNextMessageBox(&seen);
  QTest::mouseDClick(FileList()->viewport(), Qt::LeftButton, {}, on_row);
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(seen.count, 1);
  EXPECT_EQ(seen.title, "File Selected");
  EXPECT_EQ(seen.text, "You double-clicked: only.txt");

  // below the last row nothing is selected any more: the header's title stands in
  FileList()->clearSelection();
  DispatchQueued();
  AnswerNextMessageBox(&seen);
  const QPoint empty(5, FileList()->viewport()->height() - 5);
  QTest::mouseDClick(FileList()->viewport(), Qt::LeftButton, {}, empty);
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(seen.count, 2);
  EXPECT_EQ(seen.text, "You double-clicked: Name");
}

// A carriage return or line feed in a name is shown as its symbol everywhere on screen, while the
// tree's path, the listing and the scan keep the real name.
TEST_F(Window, LineBreaksInANameAreShownAsSymbolsAndTheFileIsStillFound) {
  const std::string name = "two\r\nlines.png";
  const QString shown = QString::fromUtf8("two\u240D\u240Alines.png");
  tree_.Write("breaks/" + name, Fixture("photo.png"));
  const uint64_t size = fs::file_size(tree_.path() / "breaks" / name);
  ChooseInTree(tree_.str() + "/breaks");

  ASSERT_EQ(FileList()->rowCount(), 1);
  EXPECT_EQ(FileList()->item(0, 0)->text(), shown);
  EXPECT_EQ(FileList()->item(0, 1)->text(), QString::number(size));
  Tree()->currentItem()->setExpanded(true);
  QTreeWidgetItem* item = Tree()->currentItem()->child(0);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text(0), shown);
  Tree()->setCurrentItem(item);
  EXPECT_EQ(ui::WidgetText(FolderTreeWidget), runtime::TextFromUtf8(tree_.str() + "/breaks/" + name));
  Tree()->setCurrentItem(item->parent());
  ASSERT_TRUE(DispatchQueued());

  Click(ui::QtControl(ProcessButton));
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(ImageListTexts(), (QStringList{"image list", shown}));
  EXPECT_NE(ReadFileBytes(tree_.str() + "/breaks/image_scan.pov").find(", 64, 32 )"), std::string::npos);

  SeenBox seen;
  AnswerNextMessageBox(&seen);
  const QPoint on_row = FileList()->visualItemRect(FileList()->item(0, 0)).center();
  QTest::mouseDClick(FileList()->viewport(), Qt::LeftButton, {}, on_row);
  ASSERT_TRUE(DispatchQueued());
  EXPECT_EQ(seen.text, "You double-clicked: " + shown);
}

TEST_F(Window, QuitMadeDuringAScanIsActedOnAfterTheScan) {
  templates_.Write("pov_image_read_B.txt", "// foot\n");
  for (int i = 0; i < 30; ++i) tree_.Write("many/img" + std::to_string(i) + ".png", Fixture("photo.png"));
  ChooseInTree(tree_.str() + "/many");
  // The quit click lands while the process handler is busy scanning.
  int listed_at_click = -1;
  QTimer::singleShot(0, [&] {
    Click(ui::QtControl(ProcessButton));
    QTimer::singleShot(0, [&] {
      listed_at_click = ImageList()->count() - 1;
      Click(ui::QtControl(QuitButton));
    });
  });
  const int code = RunEventLoop();
  EXPECT_EQ(code, 0);
  // the click came while the scan was under way (the window kept running its timers)
  EXPECT_GE(listed_at_click, 0);
  EXPECT_LT(listed_at_click, 30);
  // the scan ran to its end before the quit was acted on
  const std::string scene = ReadFileBytes(tree_.str() + "/many/image_scan.pov");
  EXPECT_NE(scene.find("// foot\r\n"), std::string::npos);
  EXPECT_EQ(ui::QtWindow(MainWindow), nullptr);
}

TEST_F(Window, CloseBoxEndsTheLoopWithExitCodeZero) {
  QTimer::singleShot(0, [] { ui::QtWindow(MainWindow)->close(); });
  EXPECT_EQ(RunEventLoop(), 0);
}

TEST_F(Window, QuitButtonClosesTheWindowAndEndsWithZero) {
  QTimer::singleShot(0, [] { Click(ui::QtControl(QuitButton)); });
  EXPECT_EQ(RunEventLoop(), 0);
  EXPECT_EQ(ui::QtWindow(MainWindow), nullptr);
}

}  // namespace
}  // namespace app

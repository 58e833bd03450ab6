// Qt only: these cases read the QTreeWidget itself (items, icons, expansion, the not-ready dialog).
#include "ui/folder_tree.h"

#include <QApplication>
#include <QTest>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/unicode.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/widget_test_support.h"
#include "ui/qt/qt_ui.h"

namespace ui {
namespace {

using testsupport::TempDir;
using widgettest::DrainWidgetEvents;

constexpr int64_t kTree = 1;

Text U(const std::string& s) { return platform::Utf8ToUtf16(s); }

// The volumes the trees see: the root and a stick mounted below the suite's own folder.
std::vector<MountEntry> g_volumes;
std::vector<MountEntry> FakeMountTable() { return g_volumes; }

// Drives that have no medium, and how often a drive was asked.
std::vector<Text> g_empty_drives;
int g_space_queries = 0;
int FakeSpaceQuery(TextView mount_point) {
  ++g_space_queries;
  for (const Text& d : g_empty_drives) {
    if (d == mount_point) return ENOMEDIUM;
  }
  return 0;
}

uint32_t TagOf(const QTreeWidgetItem* item) { return item->data(0, Qt::UserRole).toUInt(); }

QTreeWidgetItem* Child(QTreeWidgetItem* parent, const QString& name) {
  for (int i = 0; parent && i < parent->childCount(); ++i) {
    if (parent->child(i)->text(0) == name) return parent->child(i);
  }
  return nullptr;
}

std::vector<QString> ChildNames(const QTreeWidgetItem* parent) {
  std::vector<QString> names;
  for (int i = 0; i < parent->childCount(); ++i) names.push_back(parent->child(i)->text(0));
  return names;
}

class FolderTreeTest : public widgettest::WindowTest {
 protected:
  static void SetUpTestSuite() {
    suite_dir_ = new TempDir;
    suite_dir_->Mkdir("usb/inside");
    suite_dir_->Mkdir("home/Pictures");
    setenv("HOME", (suite_dir_->str() + "/home").c_str(), 1);
    g_volumes = {{u"/", u"ext4", u"/dev/sda1", u""}, {StickMount(), u"vfat", u"/dev/sdb1", u"STICK"}};
    SetMountTableReader(FakeMountTable);
    SetVolumeSpaceQuery(FakeSpaceQuery);
    FolderTreeMountsChanged();
  }
  static void TearDownTestSuite() {
    delete suite_dir_;
    suite_dir_ = nullptr;
  }
  void SetUp() override {
    WindowTest::SetUp();
    g_volumes = {{u"/", u"ext4", u"/dev/sda1", u""}, {StickMount(), u"vfat", u"/dev/sdb1", u"STICK"}};
    FolderTreeMountsChanged();
    g_empty_drives.clear();
    data_.Write("data/photos/a.JPG", "x");
    data_.Write("data/photos/b.png", "x");
    data_.Write("data/photos/notes.txt", "x");
    data_.Mkdir("data/empty");
    data_.Mkdir("data/nested/inner");
    data_.Write("data/Zeta.txt", "x");
    data_.Write("data/alpha.jpg", "x");
  }

  static Text StickMount() { return U(suite_dir_->str() + "/usb"); }
  Text DataPath() const { return U(data_.str() + "/data/"); }

  QTreeWidget* Create(uint32_t flags = 0, TextView path = u"") {
    EXPECT_NE(FolderTreeCreate(kTree, 10, 10, 400, 300, path, flags), 0);
    auto* tree = static_cast<QTreeWidget*>(ui::QtControl(kTree));
    EXPECT_NE(tree, nullptr);
    QApplication::processEvents();
    return tree;
  }

  QTreeWidgetItem* Selected(QTreeWidget* tree) {
    const auto items = tree->selectedItems();
    return items.isEmpty() ? nullptr : items.first();
  }

  void Click(QTreeWidget* tree, QTreeWidgetItem* item, Qt::MouseButton button = Qt::LeftButton) {
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), button, {}, tree->visualItemRect(item).center());
  }

  static TempDir* suite_dir_;
  TempDir data_;
};

TempDir* FolderTreeTest::suite_dir_ = nullptr;

TEST_F(FolderTreeTest, StartsWithTheRootExpandedOverItsDrivesAndHome) {
  QTreeWidget* tree = Create();
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  QTreeWidgetItem* root = tree->topLevelItem(0);
  EXPECT_EQ(TagOf(root), kTagComputer);
  EXPECT_EQ(root->text(0), QStringLiteral("Computer"));
  EXPECT_TRUE(root->isExpanded());
  ASSERT_EQ(root->childCount(), 3);
  EXPECT_EQ(TagOf(root->child(0)), 0u);
  EXPECT_EQ(TagOf(root->child(1)), 1u);
  EXPECT_EQ(root->child(1)->text(0), QStringLiteral("STICK"));
  EXPECT_EQ(TagOf(root->child(2)), kTagHome);
  EXPECT_EQ(root->child(2)->text(0), QStringLiteral("Home"));
  EXPECT_EQ(WidgetText(kTree), u"");
  EXPECT_EQ(WidgetState(kTree), 0);
  // Item texts by pre-order position.
  EXPECT_EQ(ItemText(kTree, 0, 0), u"");
  EXPECT_EQ(ItemText(kTree, 1, 0), u"/");
  EXPECT_EQ(ItemText(kTree, 2, 0), StickMount() + u"/");
  EXPECT_EQ(ItemText(kTree, 3, 0), U(suite_dir_->str() + "/home/"));
  EXPECT_EQ(ItemText(kTree, 4, 0), u"");
  EXPECT_EQ(ItemText(kTree, -1, 0), u"");

  WidgetDestroy(kTree);
  tree = Create(kTreeNoHome);
  EXPECT_EQ(tree->topLevelItem(0)->childCount(), 2);
}

TEST_F(FolderTreeTest, ClicksAndKeysSelectDrivesFoldersAndFilesWithTheirPaths) {
  QTreeWidget* tree = Create();
  QTreeWidgetItem* root = tree->topLevelItem(0);

  Click(tree, root->child(1));
  EXPECT_EQ(WidgetText(kTree), StickMount() + u"/");
  EXPECT_EQ(WidgetState(kTree), 2);
  // A drive stays a drive after its first expansion.
  QTest::keyClick(tree, Qt::Key_Right);
  EXPECT_TRUE(root->child(1)->isExpanded());
  EXPECT_EQ(ChildNames(root->child(1)), std::vector<QString>{QStringLiteral("inside")});
  EXPECT_EQ(WidgetState(kTree), 2);
  QTest::keyClick(tree, Qt::Key_Down);
  EXPECT_EQ(WidgetText(kTree), StickMount() + u"/inside/");

  // A folder reached through the root drive, then a file in it.
  WidgetSetText(kTree, DataPath());
  QTreeWidgetItem* data = Selected(tree);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(WidgetText(kTree), DataPath());
  QTreeWidgetItem* photos = Child(data, QStringLiteral("photos"));
  ASSERT_NE(photos, nullptr);
  Click(tree, photos);
  EXPECT_EQ(WidgetText(kTree), DataPath() + u"photos/");
  QTest::keyClick(tree, Qt::Key_Right);
  Click(tree, Child(photos, QStringLiteral("a.JPG")));
  EXPECT_EQ(WidgetText(kTree), DataPath() + u"photos/a.JPG");
  EXPECT_EQ(WidgetState(kTree), 1);

  // Home and what lies below it.
  QTreeWidgetItem* home = root->child(2);
  Click(tree, home);
  EXPECT_EQ(WidgetText(kTree), U(suite_dir_->str() + "/home/"));
  QTest::keyClick(tree, Qt::Key_Right);
  Click(tree, Child(home, QStringLiteral("Pictures")));
  EXPECT_EQ(WidgetText(kTree), U(suite_dir_->str() + "/home/Pictures/"));

  Click(tree, root);
  EXPECT_EQ(WidgetText(kTree), u"");
  EXPECT_EQ(WidgetState(kTree), 2);
}

TEST_F(FolderTreeTest, ExpandingListsFoldersBeforeFilesAndOnlyOnce) {
  QTreeWidget* tree = Create(0, DataPath());
  QTreeWidgetItem* data = Selected(tree);
  ASSERT_NE(data, nullptr);
  ASSERT_TRUE(data->isExpanded());
  ASSERT_EQ(data->childCount(), 5);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(TagOf(data->child(i)), kTagFolder) << i;
  for (int i = 3; i < 5; ++i) EXPECT_EQ(TagOf(data->child(i)), kTagFile) << i;
  EXPECT_TRUE(TagIsPopulated(TagOf(data)));

  // A folder holding only files gets an expand button; an empty one does not.
  QTreeWidgetItem* photos = Child(data, QStringLiteral("photos"));
  EXPECT_EQ(photos->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
  EXPECT_EQ(Child(data, QStringLiteral("empty"))->childIndicatorPolicy(),
            QTreeWidgetItem::DontShowIndicatorWhenChildless);

  // Collapse and expand again from the keyboard: nothing is listed twice.
  QTest::keyClick(tree, Qt::Key_Left);
  EXPECT_FALSE(data->isExpanded());
  QTest::keyClick(tree, Qt::Key_Right);
  EXPECT_TRUE(data->isExpanded());
  EXPECT_EQ(data->childCount(), 5);
  WidgetSetText(kTree, DataPath());
  EXPECT_EQ(data->childCount(), 5);

  // Sorted trees order each kind by name ignoring case.
  WidgetDestroy(kTree);
  tree = Create(kTreeSorted, DataPath());
  EXPECT_EQ(ChildNames(Selected(tree)),
            (std::vector<QString>{QStringLiteral("empty"), QStringLiteral("nested"), QStringLiteral("photos"),
                                  QStringLiteral("alpha.jpg"), QStringLiteral("Zeta.txt")}));
}

TEST_F(FolderTreeTest, FoldersOnlyTreesShowNoFilesAndNoButtonForFileFolders) {
  QTreeWidget* tree = Create(kTreeFoldersOnly, DataPath());
  QTreeWidgetItem* data = Selected(tree);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(ChildNames(data).size(), 3u);
  EXPECT_EQ(Child(data, QStringLiteral("photos"))->childIndicatorPolicy(),
            QTreeWidgetItem::DontShowIndicatorWhenChildless);
  EXPECT_EQ(Child(data, QStringLiteral("nested"))->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
}

TEST_F(FolderTreeTest, APatternKeepsTheSelectionAndFiltersFilesIgnoringCase) {
  QTreeWidget* tree = Create(0, DataPath() + u"photos/");
  ASSERT_EQ(WidgetText(kTree), DataPath() + u"photos/");
  EXPECT_EQ(Selected(tree)->childCount(), 3);

  WidgetSetText(kTree, u"*.jpg");
  EXPECT_EQ(WidgetText(kTree), DataPath() + u"photos/");
  EXPECT_EQ(ChildNames(Selected(tree)), std::vector<QString>{QStringLiteral("a.JPG")});

  WidgetSetText(kTree, u"*.TXT;*.png");
  std::vector<QString> names = ChildNames(Selected(tree));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<QString>{QStringLiteral("b.png"), QStringLiteral("notes.txt")}));

  // A path with a pattern selects the folder and filters at once.
  WidgetSetText(kTree, DataPath() + u"*.JPG");
  EXPECT_EQ(WidgetText(kTree), DataPath());
  EXPECT_EQ(Child(Selected(tree), QStringLiteral("Zeta.txt")), nullptr);
  EXPECT_NE(Child(Selected(tree), QStringLiteral("alpha.jpg")), nullptr);
  // The folder holding only text files no longer has anything to show... but photos still has a.JPG.
  EXPECT_EQ(Child(Selected(tree), QStringLiteral("photos"))->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
}

TEST_F(FolderTreeTest, SelectingPathsPrefersExactNamesAndStopsAtMissingOnes) {
  data_.Mkdir("data/Pics");
  data_.Mkdir("data/pics");
  QTreeWidget* tree = Create();
  WidgetSetText(kTree, DataPath() + u"pics/");
  EXPECT_EQ(WidgetText(kTree), DataPath() + u"pics/");
  WidgetSetText(kTree, DataPath() + u"PHOTOS/");
  EXPECT_EQ(WidgetText(kTree), DataPath() + u"photos/");
  // A level that does not exist leaves the selection where it was.
  WidgetSetText(kTree, DataPath() + u"missing/deeper/");
  EXPECT_EQ(WidgetText(kTree), DataPath() + u"photos/");
  WidgetSetText(kTree, u"relative/path/");
  EXPECT_EQ(WidgetText(kTree), DataPath() + u"photos/");
  // "" rebuilds and selects nothing.
  WidgetSetText(kTree, u"");
  EXPECT_EQ(WidgetText(kTree), u"");
  EXPECT_EQ(tree->topLevelItem(0)->childCount(), 3);
}

TEST_F(FolderTreeTest, AClickOnAnUnselectedItemReportsChangeThenLeftClick) {
  QTreeWidget* tree = Create();
  QTreeWidgetItem* root = tree->topLevelItem(0);
  DrainWidgetEvents();

  Click(tree, root->child(1));
  using Events = std::vector<std::pair<int64_t, int64_t>>;
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kTree, WidgetEventChange}, {kTree, WidgetEventLeftClick}}));
  Click(tree, root->child(1));
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kTree, WidgetEventLeftClick}}));

  // The right button selects the item first, so the tree's text is the item clicked.
  Click(tree, root->child(0), Qt::RightButton);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kTree, WidgetEventChange}, {kTree, WidgetEventRightClick}}));
  EXPECT_EQ(Selected(tree), root->child(0));
  EXPECT_EQ(WidgetText(kTree), u"/");
  Click(tree, root->child(0), Qt::RightButton);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kTree, WidgetEventRightClick}}));
  // Beside the items nothing is there to select.
  QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, QPoint(5, tree->viewport()->height() - 5));
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kTree, WidgetEventRightClick}}));
  EXPECT_EQ(Selected(tree), root->child(0));

  // Keys move the selection; expanding reports nothing.
  QTest::keyClick(tree, Qt::Key_Down);
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kTree, WidgetEventChange}}));
  QTest::keyClick(tree, Qt::Key_Right);
  EXPECT_EQ(DrainWidgetEvents(), Events{});

  tree->scrollToItem(root->child(2));
  QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(root->child(2)).center());
  const Events events = DrainWidgetEvents();
  EXPECT_NE(std::find(events.begin(), events.end(), std::pair<int64_t, int64_t>{kTree, WidgetEventDoubleClick}),
            events.end());
  EXPECT_EQ(Selected(tree), root->child(2));
}

TEST_F(FolderTreeTest, DraggingAnItemSelectsItAndReportsItsPosition) {
  QTreeWidget* tree = Create();
  QTreeWidgetItem* stick = tree->topLevelItem(0)->child(1);
  DrainWidgetEvents();
  const QPoint from = tree->visualItemRect(stick).center();
  QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, from);
  QTest::mouseMove(tree->viewport(), from + QPoint(0, QApplication::startDragDistance() + 20));
  QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, from + QPoint(0, QApplication::startDragDistance() + 20));
  const auto events = DrainWidgetEvents();
  EXPECT_NE(std::find(events.begin(), events.end(), std::pair<int64_t, int64_t>{kTree, WidgetEventDragStart}),
            events.end());
  EXPECT_EQ(Selected(tree), stick);
  EXPECT_EQ(tree->property("VX_DragItems").toList(), QVariantList{QVariant::fromValue(int64_t{2})});
}

TEST_F(FolderTreeTest, PathsDeeperThan259CharactersWork) {
  std::string deep = "data";
  while (deep.size() < 400) deep += "/a-rather-long-folder-name-" + std::to_string(deep.size());
  data_.Write(deep + "/picture.jpg", "x");
  const Text folder = U(data_.str() + "/" + deep + "/");
  ASSERT_GT(folder.size(), 259u);
  QTreeWidget* tree = Create(0, folder);
  EXPECT_EQ(WidgetText(kTree), folder);
  ASSERT_NE(Child(Selected(tree), QStringLiteral("picture.jpg")), nullptr);
  // The item lies far to the right of the view: the keyboard reaches it.
  tree->setFocus();
  QTest::keyClick(tree, Qt::Key_Down);
  EXPECT_EQ(WidgetText(kTree), folder + u"picture.jpg");
  EXPECT_EQ(WidgetState(kTree), 1);
}

TEST_F(FolderTreeTest, NamesThatAreNotUtf8KeepTheirBytesInThePath) {
  const std::string odd = "caf\xe9-\xff";
  data_.Mkdir("data/" + odd);
  QTreeWidget* tree = Create(kTreeSorted, DataPath());
  QTreeWidgetItem* data = Selected(tree);
  ASSERT_NE(data, nullptr);
  Click(tree, data->child(0));  // "caf..." sorts first
  EXPECT_EQ(runtime::TextToUtf8(WidgetText(kTree)), data_.str() + "/data/" + odd + "/");
  WidgetSetText(kTree, DataPath());
  WidgetSetText(kTree, U(data_.str() + "/data/" + odd + "/"));
  EXPECT_EQ(Selected(tree), data->child(0));
}

TEST_F(FolderTreeTest, LineBreaksInNamesAreShownAsSymbolsAndPathsKeepThem) {
  data_.Write("data/cr\rlf\n/in\nside.txt", "x");
  const Text folder = DataPath() + u"cr\rlf\n/";
  QTreeWidget* tree = Create(0, folder);
  QTreeWidgetItem* selected = Selected(tree);
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(selected->text(0), QString::fromUtf16(u"cr\u240Dlf\u240A"));
  EXPECT_EQ(WidgetText(kTree), folder);
  ASSERT_EQ(selected->childCount(), 1);
  EXPECT_EQ(selected->child(0)->text(0), QString::fromUtf16(u"in\u240Aside.txt"));
  Click(tree, selected->child(0));
  EXPECT_EQ(WidgetText(kTree), folder + u"in\nside.txt");
}

TEST_F(FolderTreeTest, AnEmptyDriveOpensThePromptAndIsAskedAgainNextTime) {
  g_empty_drives = {StickMount()};
  QTreeWidget* tree = Create();
  QTreeWidgetItem* stick = tree->topLevelItem(0)->child(1);
  Click(tree, stick);
  g_space_queries = 0;
  QTest::keyClick(tree, Qt::Key_Right);
  EXPECT_EQ(g_space_queries, 1);
  EXPECT_EQ(stick->childCount(), 0);
  EXPECT_FALSE(stick->isExpanded());
  EXPECT_FALSE(TagIsPopulated(TagOf(stick)));
  auto* prompt = ui::QtWindow(0)->findChild<QDialog*>(QStringLiteral("VX_DriveNotReady"));
  ASSERT_NE(prompt, nullptr);
  EXPECT_TRUE(prompt->isVisible());
  EXPECT_FALSE(tree->isEnabled());
  EXPECT_EQ(WidgetState(kTree), 2);

  prompt->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
  QApplication::processEvents();
  EXPECT_TRUE(tree->isEnabled());

  // The medium is in now: the next expansion lists the drive.
  g_empty_drives.clear();
  QTest::keyClick(tree, Qt::Key_Right);
  EXPECT_EQ(g_space_queries, 2);
  EXPECT_EQ(ChildNames(stick), std::vector<QString>{QStringLiteral("inside")});

  // Flag 4 never prompts; setting a text closes an open prompt.
  WidgetDestroy(kTree);
  g_empty_drives = {StickMount()};
  tree = Create(kTreeNoDrivePrompt);
  tree->topLevelItem(0)->child(1)->setExpanded(true);
  QApplication::processEvents();
  EXPECT_TRUE(tree->isEnabled());
  WidgetDestroy(kTree);
  tree = Create();
  tree->topLevelItem(0)->child(1)->setExpanded(true);
  EXPECT_FALSE(tree->isEnabled());
  WidgetSetText(kTree, u"");
  EXPECT_TRUE(tree->isEnabled());
}

TEST_F(FolderTreeTest, MountChangesAddAndRemoveDriveItems) {
  TempDir extra;
  extra.Mkdir("disk/folder");
  QTreeWidget* tree = Create();
  QTreeWidgetItem* root = tree->topLevelItem(0);
  root->child(1)->setExpanded(true);
  ASSERT_EQ(root->child(1)->childCount(), 1);

  g_volumes.push_back({U(extra.str() + "/disk"), u"ext4", u"/dev/sdc1", u""});
  FolderTreeMountsChanged();
  ASSERT_EQ(root->childCount(), 4);
  EXPECT_EQ(TagOf(root->child(3)), 2u);
  EXPECT_EQ(root->child(3)->text(0), QStringLiteral("disk"));
  EXPECT_EQ(ItemText(kTree, 5, 0), U(extra.str() + "/disk/"));  // root, /, STICK, inside, Home, disk

  // The stick leaves: its item goes (the selection with it), the others keep their indices.
  Click(tree, root->child(1));
  DrainWidgetEvents();
  const Text stick_path = WidgetText(kTree);
  g_volumes.erase(g_volumes.begin() + 1);
  FolderTreeMountsChanged();
  ASSERT_EQ(root->childCount(), 3);
  EXPECT_EQ(TagOf(root->child(0)), 0u);
  EXPECT_EQ(TagOf(root->child(1)), kTagHome);
  EXPECT_EQ(TagOf(root->child(2)), 2u);
  EXPECT_NE(WidgetText(kTree), stick_path);
  using Events = std::vector<std::pair<int64_t, int64_t>>;
  EXPECT_EQ(DrainWidgetEvents(), (Events{{kTree, WidgetEventChange}}));
  WidgetSetText(kTree, U(extra.str() + "/disk/folder/"));
  EXPECT_EQ(WidgetText(kTree), U(extra.str() + "/disk/folder/"));
  EXPECT_EQ(Selected(tree)->parent(), root->child(2));
}

TEST_F(FolderTreeTest, ColoursAreKeptAndReported) {
  Create();
  WidgetRecord* w = FindWidget(kTree);
  ASSERT_NE(w, nullptr);
  ASSERT_NE(w->ops->set_colour, nullptr);
  EXPECT_EQ(w->ops->get_colour(w, kTreeColourText), -1);
  w->ops->set_colour(w, kTreeColourText, 0x0000ff);
  w->ops->set_colour(w, kTreeColourBackground, 0x00ff00);
  w->ops->set_colour(w, kTreeColourLines, 0x123456);
  EXPECT_EQ(w->ops->get_colour(w, kTreeColourText), 0x0000ff);
  EXPECT_EQ(w->ops->get_colour(w, kTreeColourLines), 0x123456);
  auto* tree = static_cast<QTreeWidget*>(ui::QtControl(kTree));
  EXPECT_EQ(tree->palette().color(QPalette::Text), QColor(255, 0, 0));
  EXPECT_EQ(tree->palette().color(QPalette::Base), QColor(0, 255, 0));
  w->ops->set_colour(w, kTreeColourText, -1);
  EXPECT_EQ(w->ops->get_colour(w, kTreeColourText), -1);
  EXPECT_EQ(tree->palette().color(QPalette::Text), QApplication::palette(tree).color(QPalette::Text));
}

}  // namespace
}  // namespace ui

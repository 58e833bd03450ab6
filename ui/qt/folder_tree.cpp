#include "ui/folder_tree.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QPalette>
#include <QPointer>
#include <QSocketNotifier>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVariantList>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>

#include "platform/unicode.h"
#include "ui/event_queue.h"
#include "ui/shown_name.h"
#include "ui/qt/qt_ui.h"
#include "ui/widget.h"
#include "ui/window.h"

namespace ui {

namespace {

constexpr int kTagRole = Qt::UserRole;
// A folder's or file's name as stored on disk: the shown text may differ (line breaks made visible), the
// path is built from this.
constexpr int kNameRole = Qt::UserRole + 1;

struct FolderTreeRecord;

// The tree control. Branch decorations are left out with kTreeNoButtons.
class FolderTreeControl : public QTreeWidget {
 public:
  FolderTreeControl(QWidget* parent, uint32_t flags) : QTreeWidget(parent), flags_(flags) {}
  ~FolderTreeControl() override;

  FolderTreeRecord* record = nullptr;
  // Context of the control's own signal connections: they end with this part of the control, before
  // the item views below it tear down their items.
  QObject connections;

 protected:
  void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override {
    if (!(flags_ & kTreeNoButtons)) QTreeWidget::drawBranches(painter, rect, index);
  }

 private:
  uint32_t flags_;
};

struct FolderTreeRecord {
  FolderTreeControl* tree = nullptr;
  runtime::ObjectNumber number = 0;
  uint32_t flags = 0;
  Text pattern = u"*.*";
  QTreeWidgetItem* root = nullptr;
  QPointer<QDialog> prompt;
  int prompt_drive = -1;
  int64_t colours[3] = {-1, -1, -1};  // text, background, lines
  bool rebuilding = false;            // item deletions of a rebuild report no selection change
  bool dying = false;                 // the control is being destroyed: handle nothing more
  // Drag detection.
  bool left_down = false;
  bool dragging = false;
  QPoint press_at;
  QTreeWidgetItem* press_item = nullptr;
  QPoint right_press_at{-1, -1};
};

FolderTreeControl::~FolderTreeControl() {
  if (record) record->dying = true;
}

// Values shared by every tree, set up when the first one is created. Parented to the application so
// that icons and the mount watch go away with it.
class TreeLibrary : public QObject {
 public:
  explicit TreeLibrary(QObject* parent) : QObject(parent) {}
  ~TreeLibrary() override {
    if (mounts_fd >= 0) ::close(mounts_fd);
  }

  Text home_path;  // ends in "/"
  bool home_usable = false;
  QString home_name = QStringLiteral("Home");
  QString computer_name = QStringLiteral("Computer");
  QIcon computer_icon, home_icon, folder_icon, disk_icon, removable_icon, file_icon;
  DriveTable drives;
  std::map<Text, QIcon> file_icons;  // by IconCacheKey
  std::vector<FolderTreeRecord*> trees;
  int mounts_fd = -1;
  QSocketNotifier* mounts_watch = nullptr;
};

QPointer<TreeLibrary> g_library;
MountTableReader g_mount_reader = nullptr;
VolumeSpaceQuery g_space_query = nullptr;

std::vector<MountEntry> ReadSystemMountTable() {
  std::vector<MountEntry> entries;
  for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
    if (!v.isValid()) continue;
    entries.push_back({TextFromQString(v.rootPath()), TextFromQString(QString::fromUtf8(v.fileSystemType())),
                       TextFromQString(QString::fromUtf8(v.device())), TextFromQString(v.name())});
  }
  return UserVolumes(entries);
}

int SystemSpaceQuery(TextView mount_point) {
  struct statvfs st;
  const std::string bytes = platform::Utf16ToUtf8(mount_point);
  return ::statvfs(bytes.c_str(), &st) == 0 ? 0 : (errno != 0 ? errno : EIO);
}

std::vector<MountEntry> ReadMountTable() { return g_mount_reader ? g_mount_reader() : ReadSystemMountTable(); }

int QueryVolumeSpace(TextView mount_point) {
  return g_space_query ? g_space_query(mount_point) : SystemSpaceQuery(mount_point);
}

QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback) {
  return QIcon::fromTheme(QString::fromLatin1(name), QApplication::style()->standardIcon(fallback));
}

Text HomeFolder() {
  const char* home = ::getenv("HOME");
  std::string path = home ? home : "";
  if (path.empty()) {
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) path = pw->pw_dir;
  }
  return runtime::TextFromUtf8(path);
}

void OnMountTableChanged();

TreeLibrary* Library() {
  if (g_library) return g_library;
  auto* lib = new TreeLibrary(qApp);
  lib->computer_icon = ThemeIcon("computer", QStyle::SP_ComputerIcon);
  lib->home_icon = ThemeIcon("user-home", QStyle::SP_DirHomeIcon);
  lib->folder_icon = ThemeIcon("folder", QStyle::SP_DirIcon);
  lib->disk_icon = ThemeIcon("drive-harddisk", QStyle::SP_DriveHDIcon);
  lib->removable_icon = ThemeIcon("drive-removable-media", QStyle::SP_DriveFDIcon);
  lib->file_icon = ThemeIcon("text-x-generic", QStyle::SP_FileIcon);

  Text home = HomeFolder();
  if (!home.empty() && home.back() != u'/') home += u'/';
  struct stat st;
  lib->home_usable = !home.empty() && home.front() == u'/' && PathFits(home) &&
                     ::stat(platform::Utf16ToUtf8(home).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  lib->home_path = home;

  UpdateDriveTable(&lib->drives, ReadMountTable());

  // The kernel flags the open mount table as exceptional whenever a mount comes or goes.
  lib->mounts_fd = ::open("/proc/self/mounts", O_RDONLY | O_CLOEXEC);
  if (lib->mounts_fd >= 0) {
    lib->mounts_watch = new QSocketNotifier(lib->mounts_fd, QSocketNotifier::Exception, lib);
    QObject::connect(lib->mounts_watch, &QSocketNotifier::activated, lib, [] { OnMountTableChanged(); });
  }
  g_library = lib;
  return lib;
}

uint32_t TagOf(const QTreeWidgetItem* item) { return item->data(0, kTagRole).toUInt(); }
void SetTag(QTreeWidgetItem* item, uint32_t tag) { item->setData(0, kTagRole, tag); }

void SetName(QTreeWidgetItem* item, TextView name) {
  item->setText(0, QStringFromText(ShowLineBreaks(name)));
  item->setData(0, kNameRole, QStringFromText(name));
}

Text NameOf(const QTreeWidgetItem* item) {
  const QVariant name = item->data(0, kNameRole);
  return TextFromQString(name.isValid() ? name.toString() : item->text(0));
}

QColor ColourFromValue(int64_t value) {
  return QColor(static_cast<int>(value & 0xff), static_cast<int>((value >> 8) & 0xff),
                static_cast<int>((value >> 16) & 0xff));
}

bool IsRemovablePlace(TextView mount_point) {
  auto under = [&](TextView folder) {
    return mount_point.size() > folder.size() && mount_point.substr(0, folder.size()) == folder &&
           mount_point[folder.size()] == u'/';
  };
  return under(u"/media") || under(u"/run/media");
}

QIcon DriveIcon(const TreeLibrary* lib, uint32_t drive) {
  return IsRemovablePlace(lib->drives.drives[drive].mount_point) ? lib->removable_icon : lib->disk_icon;
}

Text DrivePathOfIndex(const TreeLibrary* lib, uint32_t drive) {
  if (drive >= kMaxDrives || !lib->drives.present[drive]) return Text();
  return DrivePathOf(lib->drives.drives[drive].mount_point);
}

Text ItemPath(const QTreeWidgetItem* item) {
  const TreeLibrary* lib = Library();
  Text path;
  for (; item; item = item->parent()) {
    const uint32_t tag = TagOf(item);
    const Text drive_path = TagIsDrive(tag) ? DrivePathOfIndex(lib, TagKind(tag)) : Text();
    if (!PrependItemPath(&path, tag, NameOf(item), drive_path, lib->home_path)) break;
  }
  return path;
}

QTreeWidgetItem* SelectedItem(const FolderTreeRecord* r) {
  const QList<QTreeWidgetItem*> selected = r->tree->selectedItems();
  return selected.isEmpty() ? nullptr : selected.first();
}

FolderTreeRecord* RecordOf(WidgetRecord* w) { return static_cast<FolderTreeRecord*>(w->kind_data); }

QIcon FileIcon(TreeLibrary* lib, TextView folder_path, TextView name) {
  static QMimeDatabase mimes;
  const std::optional<Text> key = IconCacheKey(name);
  if (key) {
    if (auto it = lib->file_icons.find(*key); it != lib->file_icons.end()) return it->second;
  }
  // Icons that differ from file to file are asked for by content, the others by name only.
  const QString path = QStringFromText(runtime::TextConcat({folder_path, name}));
  const QMimeType type = mimes.mimeTypeForFile(path, key ? QMimeDatabase::MatchExtension : QMimeDatabase::MatchDefault);
  QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), lib->file_icon));
  if (key) lib->file_icons.emplace(*key, icon);
  return icon;
}

QTreeWidgetItem* MakeDriveItem(const TreeLibrary* lib, uint32_t drive) {
  auto* item = new QTreeWidgetItem;
  item->setText(0, QStringFromText(ShowLineBreaks(DriveDisplayName(lib->drives.drives[drive]))));
  item->setIcon(0, DriveIcon(lib, drive));
  item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  SetTag(item, drive);
  return item;
}

// Closes the drive-not-ready prompt and gives the tree back to the user.
void ClosePrompt(FolderTreeRecord* r) {
  if (r->prompt) {
    QDialog* prompt = r->prompt;
    r->prompt = nullptr;
    prompt->disconnect();
    prompt->hide();
    prompt->deleteLater();
  }
  r->prompt_drive = -1;
  r->tree->setEnabled(true);
}

void OpenPrompt(FolderTreeRecord* r, uint32_t drive) {
  ClosePrompt(r);
  const TreeLibrary* lib = Library();
  auto* prompt = new QDialog(r->tree->window());
  prompt->setObjectName(QStringLiteral("VX_DriveNotReady"));
  prompt->setWindowTitle(QStringLiteral("Drive not ready"));
  prompt->setModal(false);
  auto* icon = new QLabel(prompt);
  icon->setObjectName(QStringLiteral("icon"));
  icon->setPixmap(DriveIcon(lib, drive).pixmap(32, 32));
  auto* message = new QLabel(prompt);
  message->setObjectName(QStringLiteral("message"));
  message->setText(QStringLiteral("There is no medium in the drive %1 (%2). Insert one and try again.")
                       .arg(QStringFromText(ShowLineBreaks(DriveDisplayName(lib->drives.drives[drive]))),
                            QStringFromText(lib->drives.drives[drive].mount_point)));
  message->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, prompt);
  auto* row = new QHBoxLayout;
  row->addWidget(icon, 0, Qt::AlignTop);
  row->addWidget(message, 1);
  auto* column = new QVBoxLayout(prompt);
  column->addLayout(row);
  column->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::rejected, prompt, &QDialog::reject);
  // Cancel, the close box and Escape all finish the dialog.
  QObject::connect(prompt, &QDialog::finished, &r->tree->connections, [r] { ClosePrompt(r); });
  r->prompt = prompt;
  r->prompt_drive = static_cast<int>(drive);
  r->tree->setEnabled(false);
  prompt->show();
}

// Lists the item's children on its first expansion.
void Populate(FolderTreeRecord* r, QTreeWidgetItem* item) {
  const uint32_t tag = TagOf(item);
  if (TagIsPopulated(tag)) return;
  TreeLibrary* lib = Library();
  const Text path = ItemPath(item);
  if (TagIsDrive(tag)) {
    const uint32_t drive = TagKind(tag);
    const int error = lib->drives.present[drive] ? QueryVolumeSpace(lib->drives.drives[drive].mount_point) : ENOENT;
    if (error != 0) {
      if (error == ENOMEDIUM && !(r->flags & kTreeNoDrivePrompt)) OpenPrompt(r, drive);
      // Unpopulated and closed again, so the next expansion asks once more.
      item->setExpanded(false);
      return;
    }
  }
  if (path.empty() || !PathFits(path)) {
    item->setExpanded(false);
    return;
  }
  const bool folders_only = r->flags & kTreeFoldersOnly;
  const FolderListing listing = ListFolderChildren(path, folders_only ? std::vector<Text>{} : SplitPatterns(r->pattern),
                                                   folders_only, r->flags & kTreeSorted);
  QList<QTreeWidgetItem*> children;
  children.reserve(static_cast<qsizetype>(listing.folders.size() + listing.files.size()));
  for (const ListedFolder& f : listing.folders) {
    auto* child = new QTreeWidgetItem;
    SetName(child, f.name);
    child->setIcon(0, lib->folder_icon);
    child->setChildIndicatorPolicy(f.has_children ? QTreeWidgetItem::ShowIndicator
                                                  : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    SetTag(child, kTagFolder);
    children.append(child);
  }
  for (const Text& name : listing.files) {
    auto* child = new QTreeWidgetItem;
    SetName(child, name);
    child->setIcon(0, FileIcon(lib, path, name));
    child->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
    SetTag(child, kTagFile);
    children.append(child);
  }
  item->addChildren(children);
  item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
  SetTag(item, tag | kTagPopulated);
}

void Rebuild(FolderTreeRecord* r) {
  const TreeLibrary* lib = Library();
  r->rebuilding = true;
  r->tree->clear();
  r->press_item = nullptr;
  r->root = nullptr;
  r->rebuilding = false;
  auto* root = new QTreeWidgetItem;
  root->setText(0, lib->computer_name);
  root->setIcon(0, lib->computer_icon);
  root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  SetTag(root, kTagComputer);
  for (uint32_t d = 0; d < kMaxDrives; ++d) {
    if (lib->drives.present[d]) root->addChild(MakeDriveItem(lib, d));
  }
  if (lib->home_usable && !(r->flags & kTreeNoHome)) {
    auto* home = new QTreeWidgetItem;
    home->setText(0, lib->home_name);
    home->setIcon(0, lib->home_icon);
    home->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    SetTag(home, kTagHome);
    root->addChild(home);
  }
  r->tree->addTopLevelItem(root);
  r->root = root;
  root->setExpanded(true);
}

QTreeWidgetItem* FindDriveItem(const FolderTreeRecord* r, uint32_t drive) {
  if (!r->root) return nullptr;
  for (int i = 0; i < r->root->childCount(); ++i) {
    QTreeWidgetItem* child = r->root->child(i);
    const uint32_t tag = TagOf(child);
    if (TagIsDrive(tag) && TagKind(tag) == drive) return child;
  }
  return nullptr;
}

// Opens the path level by level and selects its last item; stops without selecting at the first
// level that is not there.
bool SelectPath(FolderTreeRecord* r, TextView path) {
  const TreeLibrary* lib = Library();
  uint32_t drive = 0;
  std::vector<Text> names;
  if (!SplitSelectPath(path, DrivePaths(lib->drives), &drive, &names)) return false;
  QTreeWidgetItem* node = FindDriveItem(r, drive);
  if (!node) return false;
  node->setExpanded(true);
  for (const Text& name : names) {
    std::vector<Text> candidates;
    std::vector<QTreeWidgetItem*> folders;
    for (int i = 0; i < node->childCount(); ++i) {
      QTreeWidgetItem* child = node->child(i);
      if (TagKind(TagOf(child)) != kTagFolder) continue;
      candidates.push_back(NameOf(child));
      folders.push_back(child);
    }
    const int match = FindNameMatch(candidates, name);
    if (match < 0) return false;
    node = folders[static_cast<size_t>(match)];
    node->setExpanded(true);
  }
  r->tree->scrollToItem(node);
  r->tree->setCurrentItem(node);
  return true;
}

// The platform's drag rule: farther than the drag distance horizontally or vertically.
bool BeyondDragDistance(QPoint moved) {
  const int distance = QApplication::startDragDistance();
  return std::abs(moved.x()) > distance || std::abs(moved.y()) > distance;
}

int64_t PreOrderPosition(const QTreeWidget* tree, const QTreeWidgetItem* target) {
  int64_t position = 0;
  for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(tree)); *it; ++it, ++position) {
    if (*it == target) return position;
  }
  return -1;
}

// Kind operations.

int64_t TreeNotify(WidgetRecord* w, void* target_object, void* qt_event) {
  auto* target = static_cast<QObject*>(target_object);
  auto* event = static_cast<QEvent*>(qt_event);
  FolderTreeRecord* r = RecordOf(w);
  if (!r || r->dying || target != r->tree->viewport()) return kNotHandled;
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (e->button() == Qt::RightButton) {
        // The item under a right press is only marked; the release selects it, then reports the click.
        r->right_press_at = e->position().toPoint();
        return 1;
      }
      if (e->button() == Qt::LeftButton) {
        r->left_down = true;
        r->dragging = false;
        r->press_at = e->position().toPoint();
        r->press_item = r->tree->itemAt(r->press_at);
      }
      return kNotHandled;
    }
    case QEvent::MouseMove: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (r->dragging) return 1;
      if (!r->left_down || !r->press_item || !(e->buttons() & Qt::LeftButton)) return kNotHandled;
      if (!BeyondDragDistance(e->position().toPoint() - r->press_at)) return kNotHandled;
      r->dragging = true;
      QTreeWidgetItem* item = r->press_item;
      r->tree->setCurrentItem(item);
      r->tree->setProperty("VX_DragItems", QVariantList{QVariant::fromValue(PreOrderPosition(r->tree, item))});
      PostWidgetEvent(r->tree, WidgetEventDragStart);
      return 1;
    }
    case QEvent::MouseButtonRelease: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (e->button() == Qt::LeftButton) {
        const bool dragged = r->dragging;
        r->left_down = false;
        r->dragging = false;
        r->press_item = nullptr;
        PostWidgetEvent(r->tree, WidgetEventLeftClick);
        return dragged ? 1 : kNotHandled;
      }
      if (e->button() == Qt::RightButton) {
        // Selected first, so that whoever reads the tree on the click finds the item clicked.
        QTreeWidgetItem* item = r->tree->itemAt(r->right_press_at);
        if (item && item != SelectedItem(r)) r->tree->setCurrentItem(item);
        PostWidgetEvent(r->tree, WidgetEventRightClick);
        return 1;
      }
      return kNotHandled;
    }
    case QEvent::MouseButtonDblClick: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (e->button() == Qt::LeftButton) {
        r->left_down = true;
        r->dragging = false;
        r->press_at = e->position().toPoint();
        r->press_item = r->tree->itemAt(r->press_at);
        PostWidgetEvent(r->tree, WidgetEventDoubleClick);
        return kNotHandled;
      }
      if (e->button() == Qt::RightButton) {
        PostWidgetEvent(r->tree, WidgetEventRightDoubleClick);
        return 1;
      }
      return kNotHandled;
    }
    default: return kNotHandled;
  }
}

// The control may already be on its way out, so only the record, the prompt (owned by the window)
// and the library's list are touched.
void TreeRelease(WidgetRecord* w) {
  FolderTreeRecord* r = RecordOf(w);
  if (!r) return;
  if (r->prompt) {
    r->prompt->disconnect();
    r->prompt->hide();
    r->prompt->deleteLater();
  }
  if (TreeLibrary* lib = g_library) {
    lib->trees.erase(std::remove(lib->trees.begin(), lib->trees.end(), r), lib->trees.end());
  }
  delete r;
  w->kind_data = nullptr;
}

int64_t TreeGetState(WidgetRecord* w) {
  FolderTreeRecord* r = RecordOf(w);
  const QTreeWidgetItem* item = r ? SelectedItem(r) : nullptr;
  if (!item) return 0;
  return TagKind(TagOf(item)) == kTagFile ? 1 : 2;
}

Text TreeGetText(WidgetRecord* w) {
  FolderTreeRecord* r = RecordOf(w);
  const QTreeWidgetItem* item = r ? SelectedItem(r) : nullptr;
  return item ? ItemPath(item) : Text();
}

void TreeSetText(WidgetRecord* w, TextView text) {
  FolderTreeRecord* r = RecordOf(w);
  if (!r) return;
  ClosePrompt(r);
  const TreeTextPlan plan = PlanTreeText(text);
  switch (plan.action) {
    case TreeTextAction::Refuse: return;
    case TreeTextAction::Rebuild: Rebuild(r); return;
    case TreeTextAction::PatternKeepSelection: {
      const QTreeWidgetItem* selected = SelectedItem(r);
      const Text previous = selected ? ItemPath(selected) : Text();
      r->pattern = plan.pattern;
      Rebuild(r);
      if (!previous.empty()) SelectPath(r, previous);
      return;
    }
    case TreeTextAction::Select: SelectPath(r, plan.select_path); return;
    case TreeTextAction::SelectWithPattern:
      r->pattern = plan.pattern;
      Rebuild(r);
      SelectPath(r, plan.select_path);
      return;
  }
}

Text TreeGetItemText(WidgetRecord* w, int64_t item, int64_t /*column*/) {
  FolderTreeRecord* r = RecordOf(w);
  if (!r || item < 0) return Text();
  int64_t position = 0;
  for (QTreeWidgetItemIterator it(r->tree); *it; ++it, ++position) {
    if (position == item) return ItemPath(*it);
  }
  return Text();
}

void TreeSetColour(WidgetRecord* w, int64_t which, int64_t colour) {
  FolderTreeRecord* r = RecordOf(w);
  if (!r || which < kTreeColourText || which > kTreeColourLines) return;
  if (colour < 0) colour = -1;
  r->colours[which - 1] = colour;
  // Connecting lines are drawn by the style, which has no colour of its own for them: the value is
  // kept and reported only.
  if (which == kTreeColourLines) return;
  const QPalette::ColorRole role = which == kTreeColourText ? QPalette::Text : QPalette::Base;
  QPalette palette = r->tree->palette();
  const QPalette defaults = QApplication::palette(r->tree);
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, role, colour < 0 ? defaults.color(group, role) : ColourFromValue(colour));
  }
  r->tree->setPalette(palette);
}

int64_t TreeGetColour(WidgetRecord* w, int64_t which) {
  FolderTreeRecord* r = RecordOf(w);
  if (!r || which < kTreeColourText || which > kTreeColourLines) return 0;
  return r->colours[which - 1];
}

const WidgetKindOps* TreeOps() {
  static WidgetKindOps ops = [] {
    WidgetKindOps o{};
    o.kind = WidgetKindFolderTree;
    o.size = sizeof(WidgetKindOps);
    o.notify = TreeNotify;
    o.release = TreeRelease;
    o.get_state = TreeGetState;
    o.get_text = TreeGetText;
    o.set_text = TreeSetText;
    o.get_item_text = TreeGetItemText;
    o.set_colour = TreeSetColour;
    o.get_colour = TreeGetColour;
    return o;
  }();
  return &ops;
}

void ApplyDriveChange(const DriveChange& change) {
  TreeLibrary* lib = Library();
  for (FolderTreeRecord* r : lib->trees) {
    if (!r->root) continue;
    if (r->prompt_drive >= 0 && ((change.arrived | change.removed) >> r->prompt_drive) & 1) ClosePrompt(r);
    for (int i = r->root->childCount() - 1; i >= 0; --i) {
      QTreeWidgetItem* item = r->root->child(i);
      const uint32_t tag = TagOf(item);
      if (!TagIsDrive(tag)) continue;
      const uint32_t drive = TagKind(tag);
      if (!lib->drives.present[drive]) {
        delete item;
        continue;
      }
      if (!(((change.arrived | change.removed) >> drive) & 1)) continue;
      // Same index, another volume or the same one again: start over unpopulated.
      item->setExpanded(false);
      qDeleteAll(item->takeChildren());
      item->setText(0, QStringFromText(ShowLineBreaks(DriveDisplayName(lib->drives.drives[drive]))));
      item->setIcon(0, DriveIcon(lib, drive));
      item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
      SetTag(item, drive);
    }
    for (uint32_t d = 0; d < kMaxDrives; ++d) {
      if (lib->drives.present[d] && !FindDriveItem(r, d)) r->root->addChild(MakeDriveItem(lib, d));
    }
  }
}

void OnMountTableChanged() { FolderTreeMountsChanged(); }

}  // namespace

void SetMountTableReader(MountTableReader reader) { g_mount_reader = reader; }
void SetVolumeSpaceQuery(VolumeSpaceQuery query) { g_space_query = query; }

void FolderTreeMountsChanged() {
  if (!qApp) return;
  TreeLibrary* lib = Library();
  const DriveChange change = UpdateDriveTable(&lib->drives, ReadMountTable());
  if (change.arrived || change.removed) ApplyDriveChange(change);
}

int64_t FolderTreeCreate(runtime::ObjectNumber number, int32_t x, int32_t y, int32_t width, int32_t height,
                         runtime::TextView path, uint32_t flags) {
  QWidget* container = QtContainer();
  if (!container || !qApp) return 0;
  TreeLibrary* lib = Library();
  WidgetRecord* w = AcquireWidget(number);
  if (!w) return 0;
  const ScaledRect rect = ScaleRect(x, y, width, height);
  auto* tree = new FolderTreeControl(container, flags);
  tree->setGeometry(rect.x, rect.y, rect.width, rect.height);
  tree->setHeaderHidden(true);
  tree->setColumnCount(1);
  // The column grows with its deepest visible item, so deep items scroll into reach sideways instead of
  // lying outside the column, where neither the mouse nor the keyboard could select them.
  tree->header()->setStretchLastSection(false);
  tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  tree->setSelectionMode(QAbstractItemView::SingleSelection);
  tree->setUniformRowHeights(true);
  tree->setFocusPolicy(Qt::StrongFocus);
  tree->setRootIsDecorated(!(flags & kTreeNoButtons));
  if (flags & kTreeNoEdge) {
    tree->setFrameShape(QFrame::NoFrame);
  } else {
    tree->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  }
  if (!(flags & kTreeShowSelectionAlways)) {
    // Without the flag the selection is shown only while the tree has the focus.
    QPalette palette = tree->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Inactive, QPalette::Base));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Inactive, QPalette::Text));
    tree->setPalette(palette);
  } else {
    KeepSelectionShown(tree);
  }

  auto* r = new FolderTreeRecord;
  r->tree = tree;
  r->flags = flags;
  w->kind_data = r;

  tree->record = r;
  QObject::connect(tree, &QTreeWidget::itemExpanded, &tree->connections, [tree](QTreeWidgetItem* item) {
    if (tree->record) Populate(tree->record, item);
  });
  QObject::connect(tree, &QTreeWidget::itemSelectionChanged, &tree->connections, [tree] {
    if (tree->record && !tree->record->rebuilding) PostWidgetEvent(tree, WidgetEventChange);
  });

  const int64_t result = RegisterWidget(number, w, tree, TreeOps());
  if (result == 0) {
    delete r;  // the registration has already destroyed the control
    return 0;
  }
  r->number = number == runtime::AnyId ? result : number;
  lib->trees.push_back(r);
  tree->show();
  TreeSetText(w, u"");
  TreeSetText(w, path);
  return result;
}

}  // namespace ui

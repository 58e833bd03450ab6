#include "app/image_scan.h"

#include <cerrno>
#include <deque>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "app/measure_pipeline.h"
#include "files/folder_scan.h"
#include "files/text_file.h"
#include "image/measure.h"
#include "platform/file_system_kind.h"
#include "platform/identity.h"
#include "platform/path.h"

namespace app {
namespace {

using runtime::TextConcat;
using runtime::TextEquals;
using runtime::TextRight;

constexpr TextView kImageExtensions[] = {u"png", u"jpg", u"gif", u"hdr"};

bool IsImageName(TextView name) {
  const Text ending = runtime::TextLower(TextRight(name, 3));
  for (TextView extension : kImageExtensions)
    if (TextEquals(ending, extension)) return true;
  return false;
}

// Linux names may hold the renderer's string delimiters and line breaks, which would end the scene
// line or inject scene code; every name the scene format was made for passes unchanged.
Text EscapeForScene(TextView path) {
  Text out;
  out.reserve(path.size());
  for (char16_t unit : path) {
    switch (unit) {
      case u'\\': out += u"\\\\"; break;
      case u'"': out += u"\\\""; break;
      case u'\r': out += u"\\r"; break;
      case u'\n': out += u"\\n"; break;
      default: out.push_back(unit);
    }
  }
  return out;
}

// Takes the images in walk order and writes each one's list-box item and scene line in that same
// order. With one thread each image is measured at once; with more, workers measure a bounded
// number of images ahead while the walk goes on, and the lines wait for their turn.
class ImageWriter {
 public:
  ImageWriter(int threads, const SceneHooks& hooks) : hooks_(hooks) {
    if (threads > 1 || hooks.measure_elsewhere) pipeline_ = std::make_unique<MeasurePipeline>(threads, 4 * threads);
  }

  // False once the scan has been called off while waiting for a measurement.
  bool Add(const Text& full, Text relative) {
    if (!pipeline_) {
      Measurement measured{};
      measured.loaded = image::MeasureImageFile(full, &measured.size);
      Write(relative, measured);
      return true;
    }
    if (pipeline_->Full() && !WriteOldest()) return false;
    pipeline_->Submit(full);
    waiting_.push_back(std::move(relative));
    return true;
  }

  bool Finish() {
    while (pipeline_ && !pipeline_->Empty())
      if (!WriteOldest()) return false;
    return true;
  }

  int64_t written() const { return written_; }

 private:
  bool WriteOldest() {
    Measurement measured{};
    if (!pipeline_->TakeOldest(hooks_.keep_going, &measured)) return false;
    Write(waiting_.front(), measured);
    waiting_.pop_front();
    return true;
  }

  // A file that does not load is written as 100 x 100.
  void Write(TextView relative, const Measurement& measured) {
    const int64_t width = measured.loaded ? measured.size.width : 100;
    const int64_t height = measured.loaded ? measured.size.height : 100;
    if (hooks_.image_found) hooks_.image_found(relative);
    files::WriteLineAs(SceneFileNumber, SceneLine(relative, width, height), files::EncodingAscii);
    ++written_;
  }

  const SceneHooks& hooks_;
  std::unique_ptr<MeasurePipeline> pipeline_;
  std::deque<Text> waiting_;  // relative paths of the images in the pipeline, oldest first
  int64_t written_ = 0;
};

// What every level of one walk shares.
struct Walk {
  TextView base;
  const SceneHooks& hooks;
  ImageWriter& writer;
  std::vector<platform::ObjectIdentity> branch;    // the folders open above the current one
  std::set<std::pair<uint64_t, uint64_t>> linked;  // the folders already walked through a link
  int64_t unreadable = 0;
  bool stopped = false;

  bool KeepGoing() {
    if (!stopped && hooks.keep_going && !hooks.keep_going()) stopped = true;
    return !stopped;
  }
};

struct Entry {
  Text name;
  bool folder;
  bool link;
};

// The sub-folders and picture files of a folder, read whole so that the folder is closed again before
// any of its sub-folders is opened. False when it cannot be opened.
bool ReadEntries(TextView folder, Walk& walk, std::vector<Entry>* entries) {
  const int64_t scan = files::OpenFolderScan(runtime::AnyId, folder, u"*.*");
  if (scan == 0) return false;
  // Every entry, not only images: a huge folder with few pictures must not freeze the window either.
  while (walk.KeepGoing() && files::NextFolderEntry(scan)) {
    Text name = files::FolderEntryName(scan);
    const int64_t kind = files::FolderEntryKind(scan);
    if (TextEquals(name, u".") || TextEquals(name, u"..")) continue;
    const bool folder_entry = kind == files::EntryDirectory;
    if (!folder_entry && (kind != files::EntryFile || !IsImageName(name))) continue;
    entries->push_back(Entry{std::move(name), folder_entry, files::FolderEntryIsLink(scan)});
  }
  files::CloseFolderScan(scan);
  return true;
}

// Whether the walk enters the folder: not one on the kernel's own file systems, not one it is already
// inside (a cycle of links), and through a link only a folder no link has led to before.
bool Enters(TextView folder, bool through_link, Walk& walk, platform::ObjectIdentity* identity, bool* known) {
  if (platform::IsOnPseudoFileSystem(Text(folder))) return false;
  *known = platform::IdentityOf(Text(folder), identity);
  if (!*known) return true;
  for (const auto& open : walk.branch)
    if (open == *identity) return false;
  return !through_link || walk.linked.insert({identity->device, identity->inode}).second;
}

void ScanLevel(TextView path, bool through_link, Walk& walk) {
  Text folder(path);
  // The system's separators only: on Linux that is "/" alone, so a folder named "a\" is an ordinary
  // folder; on Windows "\" and "/" both end a folder's text.
  if (folder.empty() || !platform::IsPathSeparator(folder.back())) folder += platform::kPathSeparatorText;
  platform::ObjectIdentity identity;
  bool known = false;
  if (!Enters(folder, through_link, walk, &identity, &known)) return;
  std::vector<Entry> entries;
  if (!ReadEntries(folder, walk, &entries)) {
    const int error = errno;
    ++walk.unreadable;
    if (walk.hooks.folder_unreadable) walk.hooks.folder_unreadable(folder, error);
    return;
  }
  if (walk.hooks.folder_entered) walk.hooks.folder_entered(folder);
  if (known) walk.branch.push_back(identity);
  for (const Entry& entry : entries) {
    if (!walk.KeepGoing()) break;
    const Text full = TextConcat({folder, entry.name});
    if (entry.folder) {
      ScanLevel(full, entry.link, walk);
    } else if (!walk.writer.Add(full, TextRight(full, runtime::TextLength(full) - runtime::TextLength(walk.base)))) {
      walk.stopped = true;
    }
  }
  if (known) walk.branch.pop_back();
}

}  // namespace

Text SceneLine(TextView relative_path, int64_t width, int64_t height) {
  return TextConcat({u"add_image ( \"", EscapeForScene(relative_path), u"\", ", runtime::TextFromInteger(width), u", ",
                     runtime::TextFromInteger(height), u" ) "});
}

ScanTally ScanForImages(TextView path, TextView base, const SceneHooks& hooks) {
  ImageWriter writer(MeasuringThreads(hooks.jobs), hooks);
  Walk walk{base, hooks, writer, {}, {}};
  ScanLevel(path, false, walk);
  if (!walk.stopped && !writer.Finish()) walk.stopped = true;
  return ScanTally{writer.written(), walk.unreadable, walk.stopped};
}

}  // namespace app

#include "app/image_scan.h"

#include <vector>

#include "files/folder_scan.h"
#include "files/text_file.h"
#include "image/image.h"
#include "platform/file_system_kind.h"
#include "platform/identity.h"

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

void MeasureImage(TextView full_path, int64_t* width, int64_t* height) {
  *width = 100;
  *height = 100;
  const int64_t number = image::LoadImageFile(runtime::AnyId, Text(full_path));
  if (number == 0) return;
  *width = image::ImagePixelWidth(number);
  *height = image::ImagePixelHeight(number);
  image::ReleaseImage(number);
}

void ScanLevel(TextView path, TextView base, const SceneHooks& hooks, std::vector<platform::ObjectIdentity>& branch) {
  Text folder(path);
  // Only "/" separates: a folder named "a\" is an ordinary folder.
  if (!TextEquals(TextRight(folder, 1), u"/")) folder += u"/";
  if (platform::IsOnPseudoFileSystem(folder)) return;

  platform::ObjectIdentity identity;
  const bool known = platform::IdentityOf(folder, &identity);
  if (known) {
    for (const auto& open : branch)
      if (open == identity) return;
  }
  const int64_t scan = files::OpenFolderScan(runtime::AnyId, folder, u"*.*");
  if (scan == 0) return;
  if (known) branch.push_back(identity);

  while (files::NextFolderEntry(scan)) {
    // Every entry, not only images: a deep tree with few pictures must not freeze the window either.
    if (hooks.between_files) hooks.between_files();
    const Text name = files::FolderEntryName(scan);
    const int64_t kind = files::FolderEntryKind(scan);
    if (TextEquals(name, u".") || TextEquals(name, u"..")) continue;
    if (kind == files::EntryDirectory) {
      ScanLevel(TextConcat({folder, name}), base, hooks, branch);
      continue;
    }
    if (kind != files::EntryFile || !IsImageName(name)) continue;

    const Text full = TextConcat({folder, name});
    int64_t width, height;
    MeasureImage(full, &width, &height);
    const Text relative = TextRight(full, runtime::TextLength(full) - runtime::TextLength(base));
    if (hooks.image_found) hooks.image_found(relative);
    files::WriteLineAs(SceneFileNumber, SceneLine(relative, width, height), files::EncodingAscii);
  }
  files::CloseFolderScan(scan);
  if (known) branch.pop_back();
}

}  // namespace

Text SceneLine(TextView relative_path, int64_t width, int64_t height) {
  return TextConcat({u"add_image ( \"", EscapeForScene(relative_path), u"\", ", runtime::TextFromInteger(width), u", ",
                     runtime::TextFromInteger(height), u" ) "});
}

void ScanForImages(TextView path, TextView base, const SceneHooks& hooks) {
  std::vector<platform::ObjectIdentity> branch;
  ScanLevel(path, base, hooks, branch);
}

}  // namespace app

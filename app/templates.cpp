#include "app/templates.h"

#include "files/text_file.h"
#include "platform/arguments.h"
#include "platform/identity.h"
#include "platform/path.h"

namespace app {

Text InstalledTemplateFolder() {
  Text folder = platform::ProgramFolder();
  if (folder.empty()) return folder;
#ifndef _WIN32
  // <prefix>/bin/ -> <prefix>/share/scene-builder/
  folder.pop_back();
  const size_t separator = folder.find_last_of(platform::kPathSeparator);
  if (separator == Text::npos) return Text();
  folder = runtime::TextConcat({TextView(folder).substr(0, separator + 1), u"share/scene-builder/"});
#endif
  return folder;
}

Text TemplatePath(TextView name) {
  if (platform::PathExists(Text(name))) return Text(name);
  const Text folder = InstalledTemplateFolder();
  if (folder.empty()) return Text();
  Text installed = runtime::TextConcat({folder, name});
  return platform::PathExists(installed) ? installed : Text();
}

bool CopyTemplate(TextView name, const SceneHooks& hooks) {
  const Text path = TemplatePath(name);
  if (path.empty()) {
    if (hooks.template_missing) hooks.template_missing(name, InstalledTemplateFolder());
    return false;
  }
  // Read only: an installed template is often read-only, and reading is all the copy needs.
  if (files::OpenTextFileForReading(TemplateFileNumber, path) == 0) {
    if (hooks.template_unreadable) hooks.template_unreadable(path);
    return false;
  }
  while (!files::EndOfFile(TemplateFileNumber)) {
    files::WriteLine(SceneFileNumber, files::ReadLine(TemplateFileNumber, files::EncodingAscii));
  }
  files::CloseTextFile(TemplateFileNumber);
  return true;
}

}  // namespace app

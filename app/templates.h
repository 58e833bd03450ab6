// The header and footer templates: where they are found and their copy into the scene file.
#pragma once

#include "app/scene_builder.h"

namespace app {

// The folder the installation fills with the gallery templates, found from the program's own place so
// that a moved installation still finds its own: ../share/scene-builder/ beside the program on Linux,
// the program's own folder on Windows. "" when the system cannot tell where the program lies.
Text InstalledTemplateFolder();

// The path a template is read from: its name, when it exists in the current folder; else the
// installed template folder's copy, when that exists; else "".
Text TemplatePath(TextView name);

// Copies the template into the scene file (SceneFileNumber) line by line, re-encoding its ANSI text
// as UTF-8. Nothing is ever created: a template found nowhere, or one that cannot be read, counts as
// empty, is reported through the hooks, and makes the result false.
bool CopyTemplate(TextView name, const SceneHooks& hooks);

}  // namespace app

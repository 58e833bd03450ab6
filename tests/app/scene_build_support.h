// The scene build run as the program runs it, with what it reports collected, and the expected forms
// of a relative path on this system.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/image_scan.h"
#include "app/scene_file.h"
#include "app/startup.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/path.h"
#include "tests/support/temp_dir.h"

namespace app {
namespace scenetest {

namespace fs = std::filesystem;
using testsupport::TempDir;

// Runs the build with the templates taken from `templates`, as the program does from its current
// directory, and collects what it reports.
struct BuildRun {
  std::vector<std::string> listed;
  std::vector<std::string> unreadable;
  int failures = 0;
  SceneOutcome outcome;
};

inline BuildRun Build(const std::string& folder_text, const fs::path& templates) {
  BuildRun run;
  SceneHooks hooks;
  hooks.image_found = [&](TextView relative) { run.listed.push_back(runtime::TextToUtf8(relative)); };
  hooks.template_unreadable = [&](TextView name) { run.unreadable.push_back(runtime::TextToUtf8(name)); };
  hooks.scene_failed = [&](TextView) { ++run.failures; };
  const fs::path old = fs::current_path();
  fs::current_path(templates);
  run.outcome = BuildSceneFileFor(runtime::TextFromUtf8(folder_text), hooks);
  fs::current_path(old);
  return run;
}

inline std::string Line(const std::string& path, int width, int height) {
  return "add_image ( \"" + path + "\", " + std::to_string(width) + ", " + std::to_string(height) + " ) \r\n";
}

class SceneBuild : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    StartLibraries();
    RegisterDecoders();
  }
  void SetUp() override { platform::SetAnsiCharset("UTF-8"); }
  void TearDown() override {
    platform::FailWritesAfterForTesting(-1);
    platform::SetAnsiCharset("");
  }
  TempDir templates_;
  TempDir tree_;
};

// A relative path written with "/" as the scan reports it here: with the system's separator.
inline std::string Listed(std::string path) {
  for (char& c : path)
    if (c == '/') c = static_cast<char>(platform::kPathSeparator);
  return path;
}

// The same path as its scene line holds it: a "\" separator is escaped for the renderer.
inline std::string InScene(const std::string& path) {
  std::string escaped;
  for (char c : Listed(path)) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return escaped;
}

}  // namespace scenetest
}  // namespace app

// The scene build run as the program runs it, with what it reports collected; the small pictures under
// tests/app/fixtures, and the forms a relative path takes on this system.
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

namespace app::scenetest {

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::TempDir;

inline std::string Fixture(const std::string& name) { return ReadFileBytes(fs::path(SB_APP_FIXTURES) / name); }

inline std::string Line(const std::string& path, int width, int height) {
  return "add_image ( \"" + path + "\", " + std::to_string(width) + ", " + std::to_string(height) + " ) \r\n";
}

// A relative path written with "/", as the scan reports it here.
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

struct BuildRun {
  std::vector<std::string> listed;
  int failures = 0;
  SceneOutcome outcome;
  std::string scene;  // the scene file's bytes afterwards
};

class SceneBuild : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    StartLibraries();
    RegisterDecoders();
  }
  void SetUp() override { platform::SetAnsiCharset("UTF-8"); }
  void TearDown() override { platform::SetAnsiCharset(""); }

  // The templates are read from the current directory, as the program reads them.
  BuildRun BuildTree(int jobs = 0) const {
    BuildRun run;
    SceneHooks hooks;
    hooks.jobs = jobs;
    hooks.image_found = [&](TextView relative) { run.listed.push_back(runtime::TextToUtf8(relative)); };
    hooks.scene_failed = [&](TextView) { ++run.failures; };
    const fs::path old = fs::current_path();
    fs::current_path(templates_.path());
    run.outcome = BuildSceneFileFor(runtime::TextFromUtf8(tree_.str() + "/"), hooks);
    fs::current_path(old);
    if (fs::is_regular_file(tree_.path() / "image_scan.pov"))
      run.scene = ReadFileBytes(tree_.path() / "image_scan.pov");
    return run;
  }

  TempDir templates_;
  TempDir tree_;
};

}  // namespace app::scenetest

// The small pictures under tests/app/fixtures (made with ImageMagick; see the README there).
#pragma once

#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace apptest {

inline std::string Fixture(const std::string& name) {
  return testsupport::ReadFileBytes((std::filesystem::path(SB_APP_FIXTURES) / name).string());
}

}  // namespace apptest

// A temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace testsupport {

// Names in tests are UTF-8; a plain std::string path would be read in the ANSI code page on Windows.
inline std::filesystem::path PathFromUtf8(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

class TempDir {
 public:
  // create_directory reports whether it made the folder: a name nobody else holds.
  TempDir() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
      const auto candidate = base / ("sb-test-" + std::to_string(random() % 1000000000000ull));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error)) {
        path_ = candidate;
        return;
      }
    }
    std::abort();
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return Utf8FromPath(path_); }

  // Writes a file below the folder (making its parents) and returns its full path.
  std::string Write(const std::string& relative, const std::string& bytes) const {
    const auto full = (path_ / PathFromUtf8(relative)).make_preferred();
    std::filesystem::create_directories(full.parent_path());
    std::ofstream(full, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return Utf8FromPath(full);
  }

  std::string Mkdir(const std::string& relative) const {
    const auto full = (path_ / PathFromUtf8(relative)).make_preferred();
    std::filesystem::create_directories(full);
    return Utf8FromPath(full);
  }

 private:
  std::filesystem::path path_;
};

inline std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string ReadFileBytes(const std::string& utf8_path) { return ReadFileBytes(PathFromUtf8(utf8_path)); }

}  // namespace testsupport

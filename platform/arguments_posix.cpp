#include "platform/arguments.h"

#include <filesystem>

#include "platform/unicode.h"

namespace platform {

std::vector<std::string> ProgramArguments(int argc, char** argv) { return {argv, argv + argc}; }

std::u16string AbsoluteFolderText(const std::string& argument) {
  std::error_code error;
  // As the shell resolves it: "link/.." is the folder above the link's target, not the current one.
  std::filesystem::path path = std::filesystem::canonical(argument, error);
  if (error) {
    path = std::filesystem::absolute(argument, error);
    if (error) path = argument;
    path = path.lexically_normal();
  }
  std::string text = path.string();
  if (text.empty() || text.back() != '/') text.push_back('/');
  return Utf8ToUtf16(text);
}

std::u16string ProgramFolder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || !program.has_parent_path()) return {};
  std::string text = program.parent_path().string();
  if (text.empty() || text.back() != '/') text.push_back('/');
  return Utf8ToUtf16(text);
}

}  // namespace platform

// How the command line is read: the record each argument list gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"

namespace app {
namespace {

struct ParseCase {
  std::vector<const char*> arguments;  // after the program's name
  CommandAction action;
  std::string folder;
  int jobs;
  std::string error_part;  // kRefuse: a piece of the error
};

CommandLineRecord Parse(const std::vector<const char*>& arguments) {
  std::vector<const char*> argv{"scene-builder"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  argv.push_back(nullptr);
  return ParseCommandLine(static_cast<int>(argv.size() - 1), argv.data());
}

using enum CommandAction;

const ParseCase kCases[] = {
    {{}, kWindow, "", 0, ""},
    {{"pics"}, kBatch, "pics", 0, ""},
    {{"--", "-x"}, kBatch, "-x", 0, ""},
    {{"--jobs=1024", "--", "-j"}, kBatch, "-j", 1024, ""},
    {{"--jobs", "2", "--jobs=007", "pics"}, kBatch, "pics", 7, ""},
    {{"pics", "--jobs", "4"}, kBatch, "pics", 4, ""},
    {{"pics", "-h"}, kHelp, "", 0, ""},
    {{"--version", "a", "b"}, kVersion, "", 0, ""},
    {{"-x", "--help"}, kRefuse, "", 0, "unknown option '-x'"},
    {{"--jobs"}, kRefuse, "", 0, "--jobs needs a number"},
    {{"--jobs", "0", "pics"}, kRefuse, "", 0, "needs a whole number from 1 to 1024, not '0'"},
    {{"--jobs=", "pics"}, kRefuse, "", 0, "not ''"},
    {{"--jobs", "+2", "pics"}, kRefuse, "", 0, "not '+2'"},
    {{"--jobs", "2x", "pics"}, kRefuse, "", 0, "not '2x'"},
    {{"--jobs", "1025", "pics"}, kRefuse, "", 0, "not '1025'"},
    {{"--jobs", "99999999999999999999999", "pics"}, kRefuse, "", 0, "not '99999999999999999999999'"},
    {{"--jobs", "2"}, kRefuse, "", 0, "give the folder too"},
    {{"--"}, kRefuse, "", 0, "followed by a folder"},
    {{"--", "a", "-b"}, kRefuse, "", 0, "one folder, not 2"},
};

TEST(CommandLine, EachArgumentListGivesItsRecord) {
  for (const ParseCase& c : kCases) {
    std::string shown;
    for (const char* a : c.arguments) shown += std::string(" [") + a + "]";
    SCOPED_TRACE(shown);
    const CommandLineRecord record = Parse(c.arguments);
    EXPECT_EQ(record.action, c.action);
    if (c.action == kBatch) {
      EXPECT_EQ(record.folder, c.folder);
      EXPECT_EQ(record.jobs, c.jobs);
    }
    if (c.action == kRefuse) {
      EXPECT_NE(record.error.find(c.error_part), std::string::npos) << record.error;
    }
  }
}

}  // namespace
}  // namespace app

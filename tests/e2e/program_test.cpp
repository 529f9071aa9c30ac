// The Linux program as a user runs it: over the registry a normal run has,
// which holds the two empty roots.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "e2e/run_program.h"

namespace tornvale {
namespace {

const std::string kProgram = TORNVALE_PROGRAM;

std::string UsageScreen() {
  return "\r\nTornvale by Ambrell\r\n\r\nSyntax:\r\n=======\r\n\r\nTornvale.exe <Reg-Path> [-v]\r\n\r\n"
         "Description:\r\n============\r\n\r\n"
         "Recursively searches the registry for links (of type REG_LINK) below a given key. Each "
         "link found is displayed with its source and target keys.\r\n\r\n"
         "The following registry hives are supported: HKLM and HKU. The option '-v' enables "
         "output of keys that could not be processed because access was denied.\r\n\r\n"
         "Example:\r\n========\r\n\r\nTornvale.exe HKLM\\System\r\n\r\n"
         "Return codes:\r\n=============\r\n\r\n0: Successful execution\r\n"
         "1: The help screen was printed, maybe because of invalid command line arguments\r\n"
         "2: An error occured\r\n";
}

struct Case {
  std::vector<std::string> arguments;
  int status;
  std::string out;
};

TEST(ProgramTest, AnswersWithTheExactBytesAndExitStatus) {
  const Case cases[] = {
      {{}, 1, UsageScreen()},
      {{"/?"}, 1, UsageScreen()},
      {{"HKLM", "-x"}, 1, UsageScreen()},
      {{"a", "b", "c"}, 1, UsageScreen()},
      {{"HKLM"}, 0, ""},
      {{"HKEY_USERS\\", "-v"}, 0, ""},
      {{"-v"}, 2, ""},
      {{""}, 2, ""},
      {{"HKLM\\Missing"}, 2, "\"HKLM\\Missing\"\t[error while querying]\r\n"},
      // UTF-8 arguments: U+00E9 is one byte; a bad byte becomes U+FFFD, shown as "?".
      {{"HKLM\\caf\xC3\xA9"}, 2, "\"HKLM\\caf\xE9\"\t[error while querying]\r\n"},
      {{"HKLM\\\xFF%s"}, 2, "\"HKLM\\?%s\"\t[error while querying]\r\n"},
  };
  for (const Case& c : cases) {
    const ProgramRun run = RunProgram(kProgram, c.arguments);
    EXPECT_EQ(run.status, c.status) << testing::PrintToString(c.arguments);
    EXPECT_EQ(run.out, c.out) << testing::PrintToString(c.arguments);
    EXPECT_EQ(run.err, "");
  }
}

TEST(ProgramTest, WritesTheSameBytesToAFile) {
  const std::string path = testing::TempDir() + "tornvale_usage.txt";
  const std::string command = "'" + kProgram + "' -? > '" + path + "'";
  EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
  std::ifstream file(path, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  EXPECT_EQ(bytes.str(), UsageScreen());
  std::remove(path.c_str());
}

}  // namespace
}  // namespace tornvale

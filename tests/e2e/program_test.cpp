// The Linux program as a user runs it: over the registry a normal run has,
// which holds the two empty roots.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "e2e/run_program.h"
#include "usage_screen.h"

namespace tornvale {
namespace {

const std::string kProgram = TORNVALE_PROGRAM;

struct Case {
  std::vector<std::string> arguments;
  int status;
  std::string out;
};

TEST(ProgramTest, AnswersWithTheExactBytesAndExitStatus) {
  const Case cases[] = {
      {{}, 1, kUsageScreen},
      {{"/?"}, 1, kUsageScreen},
      {{"HKLM", "-x"}, 1, kUsageScreen},
      {{"a", "b", "c"}, 1, kUsageScreen},
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
  EXPECT_EQ(bytes.str(), kUsageScreen);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace tornvale

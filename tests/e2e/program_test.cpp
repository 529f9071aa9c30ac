// The Linux program as a user runs it: over the registry a normal run has,
// which holds the two empty roots.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "e2e/run_program.h"
#include "usage_screen.h"

extern char** environ;

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

// The exit status of the program run with `argument`, its standard output a
// pipe whose reader is already gone; -1 when a signal ended it.
int StatusWithClosedReader(const std::string& argument) {
  int out[2];
  if (pipe(out) != 0) return -2;
  close(out[0]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  std::string program = kProgram;
  std::string arg = argument;
  char* argv[] = {program.data(), arg.data(), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) return -2;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ProgramTest, AReaderThatWentAwayDoesNotChangeTheExitStatus) {
  // `tornvale ... | head -c 100`: the failed write is ignored.
  EXPECT_EQ(StatusWithClosedReader("/?"), 1);
  EXPECT_EQ(StatusWithClosedReader("HKLM\\Missing"), 2);
}

}  // namespace
}  // namespace tornvale

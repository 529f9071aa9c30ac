// The built tornvale over a sample volume whose SYSTEM hive is dirty: the
// link that exists only in its logs is found, standard error has one line,
// and not one byte of the volume changes.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "e2e/run_program.h"
#include "hive/sample_volume.h"
#include "hive/temp_folder.h"
#include "offline/dirty_sample.h"

namespace tornvale::testing {
namespace {

std::string Line(const std::string& source, const std::string& target) {
  return "\"" + source + "\" -> \"" + target + "\"\r\n";
}

const std::string kSystemLines = SampleSystemLines();
const std::string kLoggedLine = Line("HKLM\\SYSTEM\\Logged Link", "HKLM\\SOFTWARE\\Sample\\Settings");

// Every file and folder below `root`, with each file's bytes and
// modification time.
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::string path = entry.path().string();
    if (!entry.is_regular_file()) {
      files[path] = "folder";
      continue;
    }
    const auto written = std::filesystem::last_write_time(entry.path()).time_since_epoch().count();
    files[path] = std::to_string(written) + ":" + ReadFileBytes(path);
  }
  return files;
}

class DirtyProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteSampleVolume(volume_.path()); }

  ProgramRun Run() {
    return RunProgram(TORNVALE_PROGRAM, {"HKLM\\SYSTEM"}, {"TORNVALE_OFFLINE_ROOT=" + volume_.path()});
  }
  std::string ErrLine(const std::string& text) {
    return "tornvale: " + volume_ / kSystemHive + ": " + text + "\n";
  }

  TempFolder volume_;
};

TEST_F(DirtyProgramTest, FindsTheLinkOnlyTheLogsHoldAndLeavesTheVolumeAsItWas) {
  const struct {
    LogFormat format;
    const char* applied;  // how the line goes on
  } cases[] = {
      {LogFormat::kEntries, "applied SYSTEM.LOG1 (1 entry), SYSTEM.LOG2 (1 entry)\n"},
      {LogFormat::kDirtyVector, "applied SYSTEM.LOG1 ("},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.applied);
    std::filesystem::remove_all(volume_.path());
    std::filesystem::create_directories(volume_.path());
    SetUp();
    MakeSystemDirty(volume_.path(), c.format);
    const auto before = Snapshot(volume_.path());
    const ProgramRun run = Run();
    EXPECT_EQ(run.out, kSystemLines + kLoggedLine);
    // One line, starting with what was applied.
    const std::string start = "tornvale: " + volume_ / kSystemHive + ": hive is dirty; " + c.applied;
    EXPECT_EQ(run.err.rfind(start, 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(Snapshot(volume_.path()), before);
  }
}

TEST_F(DirtyProgramTest, WithoutItsLogsTheHiveIsSearchedAsItStands) {
  MakeSystemDirty(volume_.path(), LogFormat::kEntries);
  std::filesystem::remove(volume_ / kSystemHive + ".LOG1");
  std::filesystem::remove(volume_ / kSystemHive + ".LOG2");
  const auto before = Snapshot(volume_.path());
  const ProgramRun run = Run();
  EXPECT_EQ(run.out, kSystemLines);
  EXPECT_EQ(run.err, ErrLine("hive is dirty; its logs are missing: recent changes may be absent"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(Snapshot(volume_.path()), before);
}

}  // namespace
}  // namespace tornvale::testing

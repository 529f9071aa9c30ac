// The built tornvale over a sample volume whose SYSTEM hive is dirty: the
// link that exists only in its log is found, standard error has one line,
// and not one byte of the volume changes.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "e2e/run_program.h"
#include "hive/sample_volume.h"
#include "hive/temp_folder.h"
#include "offline/base_block.h"
#include "offline/hive_log_writer.h"

namespace tornvale::testing {
namespace {

std::string Line(const std::string& source, const std::string& target) {
  return "\"" + source + "\" -> \"" + target + "\"\r\n";
}

const std::string kSystemLines =
    Line("HKLM\\SYSTEM\\ControlSet001\\Hardware Profiles\\0001\\Software\\Sample Link",
         "HKLM\\SOFTWARE\\Sample\\Settings") +
    Line("HKLM\\SYSTEM\\ControlSet001\\Hardware Profiles\\Current",
         "HKLM\\SYSTEM\\ControlSet001\\Hardware Profiles\\0001") +
    Line("HKLM\\SYSTEM\\ControlSet001\\Services\\Sample Service\\Parameters",
         "HKLM\\SOFTWARE\\Sample\\Settings");
const std::string kLoggedLine = Line("HKLM\\SYSTEM\\Logged Link", "HKLM\\SOFTWARE\\Sample\\Settings");

// Every file below `root` with its bytes and modification time.
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
  void SetUp() override {
    WriteSampleVolume(volume_.path());
    const std::string system = volume_ / kSystemHive;
    const std::string clean = ReadFileBytes(system);
    const std::string scratch = scratch_ / "SYSTEM";
    WriteFileBytes(scratch, clean);
    {
      HiveBuilder hive(scratch, HiveBuilder::Existing{});
      hive.Link("Logged Link", u"\\REGISTRY\\MACHINE\\SOFTWARE\\Sample\\Settings");
      hive.Save();
    }
    const uint32_t sequence = ReadLe32(reinterpret_cast<const uint8_t*>(clean.data()) + 4);
    WriteFileBytes(system, WithBaseBlock(clean, sequence + 1, sequence));
    log_ = NewFormatLog(clean, sequence + 1, {LogEntryBytes(clean, ReadFileBytes(scratch), sequence + 1)});
  }

  ProgramRun Run() {
    return RunProgram(TORNVALE_PROGRAM, {"HKLM\\SYSTEM"}, {"TORNVALE_OFFLINE_ROOT=" + volume_.path()});
  }

  TempFolder volume_;
  TempFolder scratch_;
  std::string log_;
};

TEST_F(DirtyProgramTest, FindsTheLinkOnlyTheLogHoldsAndLeavesTheVolumeAsItWas) {
  WriteFileBytes(volume_ / kSystemHive + ".LOG1", log_);
  const auto before = Snapshot(volume_.path());
  const ProgramRun run = Run();
  EXPECT_EQ(run.out, kSystemLines + kLoggedLine);
  EXPECT_EQ(run.err, "tornvale: " + volume_ / kSystemHive + ": hive is dirty; applied SYSTEM.LOG1 (1 entry)\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(Snapshot(volume_.path()), before);
}

TEST_F(DirtyProgramTest, WithoutItsLogsTheHiveIsSearchedAsItStands) {
  const auto before = Snapshot(volume_.path());
  const ProgramRun run = Run();
  EXPECT_EQ(run.out, kSystemLines);
  EXPECT_EQ(run.err, "tornvale: " + volume_ / kSystemHive +
                         ": hive is dirty; its logs are missing: recent changes may be absent\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(Snapshot(volume_.path()), before);
}

}  // namespace
}  // namespace tornvale::testing

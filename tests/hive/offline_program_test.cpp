// The built tornvale run on the sample volume through TORNVALE_OFFLINE_ROOT:
// exact bytes on standard output, exit status, and one line on standard
// error for each hive that cannot be read.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/run_program.h"
#include "hive/sample_volume.h"
#include "hive/temp_folder.h"

namespace tornvale::testing {
namespace {

std::string Line(const std::string& source, const std::string& target) {
  return "\"" + source + "\" -> \"" + target + "\"\r\n";
}

const std::string kAlice = kAliceSid;
const std::string kBob = kBobSid;

const std::string kSoftwareLines =
    Line("HKLM\\SOFTWARE\\Sample\\100% Done\\?mega", "HKU\\" + kAlice + "\\Software\\Zo\xEB") +
    Line("HKLM\\SOFTWARE\\Sample\\Gone", "HKLM\\SOFTWARE\\Sample\\Nowhere") +
    Line("HKLM\\SOFTWARE\\Sample\\Loop A", "HKLM\\SOFTWARE\\Sample\\Loop B") +
    Line("HKLM\\SOFTWARE\\Sample\\Loop B", "HKLM\\SOFTWARE\\Sample\\Loop A") +
    Line("HKLM\\SOFTWARE\\Sample\\Unflagged", "HKLM\\SOFTWARE\\Sample\\Settings");
const std::string kSystemLines = SampleSystemLines();
const std::string kAliceLines =
    Line("hku\\" + kAlice + "\\Software\\My Classes", "HKU\\" + kAlice + "_Classes");
const std::string kAliceClassesLines =
    Line("hku\\" + kAlice + "_Classes\\CLSID\\Sample Link", "HKLM\\SOFTWARE\\Sample\\Settings");
const std::string kBobLines =
    Line("hku\\" + kBob + "\\Software\\Back", "HKU\\.DEFAULT\\Control Panel");

class OfflineProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteSampleVolume(volume_.path()); }

  ProgramRun Run(const std::vector<std::string>& arguments) {
    return RunProgram(TORNVALE_PROGRAM, arguments, {"TORNVALE_OFFLINE_ROOT=" + volume_.path()});
  }

  TempFolder volume_;
};

TEST_F(OfflineProgramTest, PrintsTheLinksStoredInTheVolumesHives) {
  const struct {
    std::vector<std::string> arguments;
    std::string out;
    int status;
  } cases[] = {
      {{"HKLM"}, kSoftwareLines + kSystemLines, 0},
      {{"hku\\", "-v"}, kAliceLines + kAliceClassesLines + kBobLines, 0},
      {{"HKLM\\SYSTEM\\ControlSet001\\Hardware Profiles\\Current\\Software"},
       Line("HKLM\\SYSTEM\\ControlSet001\\Hardware Profiles\\Current\\Software\\Sample Link",
            "HKLM\\SOFTWARE\\Sample\\Settings"),
       0},
      {{"HKEY_LOCAL_MACHINE\\software\\sample\\loop a"},
       Line("HKEY_LOCAL_MACHINE\\software\\sample\\loop a", "HKLM\\SOFTWARE\\Sample\\Loop B"), 0},
      {{"HKLM\\SOFTWARE\\Sample\\Unflagged\\Inside"}, "", 0},
      {{"HKLM\\SYSTEM\\CurrentControlSet"},
       "\"HKLM\\SYSTEM\\CurrentControlSet\"\t[error while querying]\r\n", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments[0]);
    const ProgramRun run = Run(c.arguments);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, c.status);
  }
}

TEST_F(OfflineProgramTest, LeavesOutEachUnreadableHiveWithOneLineOnStandardError) {
  const std::string good = ReadFileBytes(volume_ / kSystemHive);
  const std::string corrupt = std::string(good).replace(0x30, 1, "X");
  const struct {
    const char* hive;
    std::string bytes;  // empty: the file is removed
    const char* reason;  // null: nothing to report
    const char* top;
    std::string out;
  } cases[] = {
      {kSystemHive, "", nullptr, "HKLM", kSoftwareLines},
      {kSystemHive, good.substr(0, 5000), "truncated (hive data ends at byte", "HKLM", kSoftwareLines},
      {kSystemHive, corrupt, "corrupt (base block checksum does not match)", "HKLM", kSoftwareLines},
      {kSystemHive, "regedit text\r\n", "not a registry hive", "HKLM", kSoftwareLines},
      {kAliceHive, "", "file not found", "hku", kAliceClassesLines + kBobLines},
      {kBobHive, good.substr(0, 100), "truncated (the base block is incomplete)", "hku",
       kAliceLines + kAliceClassesLines},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.hive) + " " + (c.reason ? c.reason : "absent"));
    const std::string file = volume_ / c.hive;
    const std::string saved = ReadFileBytes(file);
    if (c.bytes.empty()) {
      std::filesystem::remove(file);
    } else {
      WriteFileBytes(file, c.bytes);
    }
    const ProgramRun run = Run({c.top});
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.status, 0);
    if (c.reason == nullptr) {
      EXPECT_EQ(run.err, "");
    } else {
      const std::string start = "tornvale: " + file + ": " + c.reason;
      EXPECT_EQ(run.err.rfind(start, 0), 0u) << run.err;
      EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
      EXPECT_NE(run.err.find("; hive not mounted\n"), std::string::npos) << run.err;
    }
    WriteFileBytes(file, saved);
  }
}

}  // namespace
}  // namespace tornvale::testing

// Finding a volume's hive files: names matched without regard to case, and
// profile folders taken from ProfileList in the forms Windows writes them.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "hive/hive_builder.h"
#include "hive/temp_folder.h"
#include "offline/offline_volume.h"

namespace tornvale::testing {
namespace {

constexpr uint32_t kRegExpandSz = 2;

std::vector<std::u16string> Subkeys(KeyStore& store, KeyId key) {
  std::vector<std::u16string> names;
  std::u16string name;
  while (store.SubkeyAt(key, static_cast<uint32_t>(names.size()), &name) == SubkeyResult::kFound) {
    names.push_back(name);
  }
  return names;
}

TEST(OfflineVolumeTest, FindsPathsWithoutRegardToCase) {
  TempFolder volume;
  std::filesystem::create_directories(volume / "Windows/System32/config");
  WriteFileBytes(volume / "Windows/System32/config/SOFTWARE", "x");
  const struct {
    std::vector<std::string> parts;
    std::string found;  // below the volume; empty: not found
  } cases[] = {
      {{"Windows", "System32", "config", "SOFTWARE"}, "Windows/System32/config/SOFTWARE"},
      {{"WINDOWS", "system32", "Config", "software"}, "Windows/System32/config/SOFTWARE"},
      {{"Windows", "System32", "config", "SYSTEM"}, ""},
      {{"Windows", "..", "Windows"}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindPathNoCase(volume.path(), c.parts), c.found.empty() ? "" : volume / c.found);
  }
}

TEST(OfflineVolumeTest, MountsProfilesFromEachFormOfProfileImagePath) {
  TempFolder volume;
  std::filesystem::create_directories(volume / "Windows/System32/config");
  const std::string list = "Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";
  const struct {
    const char* sid;
    std::u16string image;
    const char* folder;  // where its NTUSER.DAT is written; null: none
  } profiles[] = {
      {"S-1-5-21-1-1001", u"%SystemDrive%\\Users\\alice", "Users/alice"},
      {"S-1-5-21-1-1002", u"C:\\USERS\\Bob", "users/bob"},
      {"S-1-5-20", u"%systemroot%\\ServiceProfiles\\NetworkService",
       "Windows/ServiceProfiles/NetworkService"},
      {"S-1-5-21-1-1003", u"\\\\server\\share\\carol", nullptr},
      {"S-1-5-21-1-1004", u"%SystemDrive%\\Users\\gone", nullptr},
      {"S-1-5-21-1-1001.bak", u"%SystemDrive%\\Users\\alice", nullptr},
  };
  {
    HiveBuilder software(volume / "Windows/System32/config/SOFTWARE");
    for (const auto& profile : profiles) {
      software.StringValue(list + profile.sid, "ProfileImagePath", kRegExpandSz, profile.image);
    }
    software.Save();
  }
  for (const auto& profile : profiles) {
    if (profile.folder == nullptr) continue;
    std::filesystem::create_directories(volume / profile.folder);
    HiveBuilder(volume / profile.folder + "/NTUSER.DAT").Save();
  }
  std::ostringstream problems;
  auto store = MountOfflineVolume(volume.path(), problems);
  EXPECT_EQ(Subkeys(*store, HiveKeyStore::kUser),
            (std::vector<std::u16string>{u"S-1-5-20", u"S-1-5-21-1-1001", u"S-1-5-21-1-1002"}));
  EXPECT_EQ(problems.str(),
            "tornvale: ProfileList\\S-1-5-21-1-1003: profile folder \\\\server\\share\\carol is "
            "not on this volume; hive not mounted\n"
            "tornvale: " + volume.path() +
                "/Users/gone/NTUSER.DAT: file not found; hive not mounted\n");
}

TEST(OfflineVolumeTest, AFolderThatIsNoVolumeMountsNothing) {
  TempFolder volume;
  std::ostringstream problems;
  auto store = MountOfflineVolume(volume / "absent", problems);
  EXPECT_EQ(Subkeys(*store, HiveKeyStore::kMachine), std::vector<std::u16string>{});
  EXPECT_EQ(problems.str(), "tornvale: " + (volume / "absent") + ": no such folder; no hives mounted\n");
  std::ostringstream quiet;
  store = MountOfflineVolume(volume.path(), quiet);  // a folder without hives
  EXPECT_EQ(Subkeys(*store, HiveKeyStore::kUser), std::vector<std::u16string>{});
  EXPECT_EQ(quiet.str(), "");
}

}  // namespace
}  // namespace tornvale::testing

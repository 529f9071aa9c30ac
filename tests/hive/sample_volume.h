// A small Windows system volume at rest, written as hive files in the
// folder layout Windows uses: what the offline tests search and what the
// README's example runs on.
#pragma once

#include <string>

namespace tornvale::testing {

inline constexpr char kAliceSid[] = "S-1-5-21-1111111111-2222222222-3333333333-1001";
inline constexpr char kBobSid[] = "S-1-5-21-1111111111-2222222222-3333333333-1002";

// Hive files of the sample, as paths below the volume root.
inline constexpr char kSystemHive[] = "Windows/System32/config/SYSTEM";
inline constexpr char kSoftwareHive[] = "Windows/System32/config/SOFTWARE";
inline constexpr char kDefaultHive[] = "Windows/System32/config/DEFAULT";
inline constexpr char kAliceHive[] = "Users/alice/NTUSER.DAT";
inline constexpr char kAliceClassesHive[] = "Users/alice/AppData/Local/Microsoft/Windows/UsrClass.dat";
inline constexpr char kBobHive[] = "Users/Bob/ntuser.dat";

// What `tornvale HKLM\\SYSTEM` prints over the sample, as exact bytes.
std::string SampleSystemLines();

// Writes the sample below `root`, creating folders as needed.
void WriteSampleVolume(const std::string& root);

}  // namespace tornvale::testing

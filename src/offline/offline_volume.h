// The registry of a Windows system volume at rest: its hive files mounted
// where Windows loads them at boot and logon.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "offline/hive_key_store.h"

namespace tornvale {

// Mounts the hives below `volumeRoot` (the folder holding "Windows"):
// config\SYSTEM, SOFTWARE, SAM, SECURITY and COMPONENTS under MACHINE,
// config\DEFAULT as USER\.DEFAULT, and each profile of SOFTWARE's ProfileList
// as USER\<SID> (NTUSER.DAT) and USER\<SID>_Classes (UsrClass.dat). A hive
// that cannot be read is left out and named on `problems`, one line each.
std::unique_ptr<HiveKeyStore> MountOfflineVolume(const std::string& volumeRoot,
                                                 std::ostream& problems);

// The path of `parts` below `base`, each part matched without regard to
// ASCII letter case; empty when one of them does not exist.
std::string FindPathNoCase(const std::string& base, const std::vector<std::string>& parts);

}  // namespace tornvale

// The sample volume with its SYSTEM hive dirty: the link "Logged Link"
// (to HKLM\SOFTWARE\Sample\Settings) is written only in the hive's log.
#pragma once

#include <string>

namespace tornvale::testing {

enum class LogFormat { kEntries, kDirtyVector };

// Rewrites the SYSTEM hive of the sample volume below `root` as a write
// left it that did not finish, and writes SYSTEM.LOG1 in `format`, its
// entries split with SYSTEM.LOG2 for the new format.
void MakeSystemDirty(const std::string& root, LogFormat format);

}  // namespace tornvale::testing

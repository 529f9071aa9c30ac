// The forms of a key's path: hive notation as users type it (HKLM\Software),
// the registry API's hive handle plus relative path, and the native NT path
// (\Registry\Machine\Software) in which link targets are stored.
#pragma once

#include <string>

#include "platform/platform.h"

namespace tornvale {

struct HivePath {
  std::u16string displayPath;   // the path without its trailing backslashes
  HKEY hive = nullptr;          // the predefined handle of the hive word
  std::u16string ntPath;        // NT root followed by the rest of the path
  std::u16string relativePath;  // the rest without its leading backslashes
};

// Splits `path`. Returns false when it begins with no accepted hive word; then
// only `displayPath` is set.
bool SplitHivePath(const std::u16string& path, HivePath& forms);

// A link target in hive notation (HKLM\..., HKU\...); a target under any
// other root comes back unchanged.
std::u16string ShortenNtPath(const std::u16string& target);

}  // namespace tornvale

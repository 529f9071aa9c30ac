// The search: visits a key and everything below it, depth first, printing
// each link with its target and each key whose probe was refused or failed.
#pragma once

#include <cstddef>
#include <string>

#include "platform/platform.h"

namespace tornvale {

// The walk enters keys down to this many levels below the top key. The
// cycle guard ends every cycle whose keys the platform can name, so this
// only stops a walk going round keys it cannot name, or a tree deeper than
// any registry holds. A level's frame is small (a few hundred bytes), so this
// many fit with a wide margin in the stack every build reserves. A key one
// level deeper is still probed (a link there is printed as always); any
// other key there gets the error line and is not entered.
constexpr std::size_t kMaxWalkDepth = 2048;

// Returns 0 when the key is a link or its subkeys were listed to the end,
// ERROR_INVALID_PARAMETER for a path with no accepted hive word, otherwise the
// failing registry call's result. Only the top key's status is returned; the
// statuses of the keys below it are not.
DWORD SearchKeyForLinks(std::u16string path, DWORD verbose);

}  // namespace tornvale

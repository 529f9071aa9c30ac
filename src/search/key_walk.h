// The search: visits a key and everything below it, depth first, printing
// each link with its target and each key whose probe was refused or failed.
#pragma once

#include <string>

#include "platform/platform.h"

namespace tornvale {

// Returns 0 when the key is a link or its subkeys were listed to the end,
// ERROR_INVALID_PARAMETER for a path with no accepted hive word, otherwise the
// failing registry call's result. Only the top key's status is returned; the
// statuses of the keys below it are not.
DWORD SearchKeyForLinks(std::u16string path, DWORD verbose);

}  // namespace tornvale

// The registry a normal run of the Linux build serves: a Windows volume's
// hives when TORNVALE_OFFLINE_ROOT names one, the empty registry otherwise.
#include <cstdlib>
#include <iostream>

#include "platform/linux/offline_volume.h"
#include "platform/linux/substitute.h"

namespace tornvale::substitute {

std::unique_ptr<KeyStore> MakeDefaultRegistry() {
  const char* root = std::getenv("TORNVALE_OFFLINE_ROOT");
  if (root == nullptr || *root == '\0') return MakeEmptyRegistry();
  // Standard output carries only the tool's own lines; a hive left out is
  // told on standard error.
  return MountOfflineVolume(root, std::cerr);
}

}  // namespace tornvale::substitute

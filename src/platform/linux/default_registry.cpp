// The registry a normal run of the Linux build serves.
#include "platform/linux/substitute.h"

namespace tornvale::substitute {

std::unique_ptr<KeyStore> MakeDefaultRegistry() { return MakeEmptyRegistry(); }

}  // namespace tornvale::substitute

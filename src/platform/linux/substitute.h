// What a program's main tells the Linux substitute: which key store its
// registry serves. The substitute reads no environment and holds no switch
// of its own; tests reach it through their own instrumented layer.
#pragma once

#include <memory>

#include "platform/linux/key_store.h"

namespace tornvale::substitute {

// The registry serves this store from now on; open handles are dropped.
void UseKeyStore(std::unique_ptr<KeyStore> store);

// A store holding only the two empty roots, \Registry\Machine and \Registry\User.
std::unique_ptr<KeyStore> MakeEmptyRegistry();

}  // namespace tornvale::substitute

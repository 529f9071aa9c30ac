// The local heap of the substitute. It knows its blocks, so a block it did
// not give out is handed back by LocalFree, as Windows reports it.
#include <cstdlib>
#include <set>

#include "platform/linux/substitute_calls.h"

namespace tornvale::substitute {
namespace {

std::set<void*>& LiveBlocks() {
  static std::set<void*> live;
  return live;
}

}  // namespace

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
  // Zero bytes still give a distinct block, as on Windows.
  void* block = (flags & LPTR) == LPTR ? std::calloc(1, bytes == 0 ? 1 : bytes)
                                       : std::malloc(bytes == 0 ? 1 : bytes);
  if (block != nullptr) LiveBlocks().insert(block);
  return block;
}

HLOCAL LocalFree(HLOCAL block) {
  if (block == nullptr) return nullptr;
  if (LiveBlocks().erase(block) == 0) return block;
  std::free(block);
  return nullptr;
}

}  // namespace tornvale::substitute

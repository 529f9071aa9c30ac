// The local heap of the substitute, with a count of live blocks so tests can
// see that every block comes back.
#include <cstdlib>
#include <set>

#include "platform/linux/reset_parts.h"
#include "platform/linux/substitute.h"

namespace tornvale {
namespace {

struct Heap {
  std::set<void*> live;
  int failAt = 0;  // counts down; the allocation that brings it to 0 fails
};

Heap& State() {
  static Heap heap;
  return heap;
}

}  // namespace

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
  Heap& heap = State();
  if (heap.failAt > 0 && --heap.failAt == 0) return nullptr;
  // Zero bytes still give a distinct block, as on Windows.
  void* block = (flags & LPTR) == LPTR ? std::calloc(1, bytes == 0 ? 1 : bytes)
                                       : std::malloc(bytes == 0 ? 1 : bytes);
  if (block != nullptr) heap.live.insert(block);
  return block;
}

HLOCAL LocalFree(HLOCAL block) {
  if (block == nullptr) return nullptr;
  Heap& heap = State();
  // A block this heap did not give out is handed back, as Windows reports it.
  if (heap.live.erase(block) == 0) return block;
  std::free(block);
  return nullptr;
}

namespace substitute {

void FailLocalAllocAt(int n) { State().failAt = n; }

int LiveLocalBlocks() { return static_cast<int>(State().live.size()); }

void ResetHeap() {
  for (void* block : State().live) std::free(block);
  State() = Heap{};
}

}  // namespace substitute
}  // namespace tornvale

// The local heap, used for the probe's buffers.
#include "platform/platform.h"

#include <windows.h>

tornvale::HLOCAL tornvale::LocalAlloc(UINT flags, SIZE_T bytes) {
  return ::LocalAlloc(flags, bytes);
}

tornvale::HLOCAL tornvale::LocalFree(HLOCAL block) { return ::LocalFree(block); }

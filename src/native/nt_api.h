// The native entry points of "ntdll.dll", looked up by name at start-up so
// that the executable imports none of them.
#pragma once

#include "platform/platform.h"

namespace tornvale {

struct NtApiTable {
  NtOpenSymbolicLinkObjectFn NtOpenSymbolicLinkObject;
  NtQuerySymbolicLinkObjectFn NtQuerySymbolicLinkObject;
  NtCloseFn NtClose;
  NtOpenKeyFn NtOpenKey;
  NtQueryKeyFn NtQueryKey;
  NtQueryValueKeyFn NtQueryValueKey;
};

// Written once by InitNtApi, read-only afterwards.
extern NtApiTable NtApi;

// Binds every slot in table order. Returns 0, or 1 after printing which
// entry point is missing (later slots are then not looked up).
int InitNtApi();

}  // namespace tornvale

#include "native/nt_api.h"

#include "output/output.h"

namespace tornvale {

NtApiTable NtApi = {};

namespace {

template <typename Fn>
bool Bind(Fn& slot, const char* exportName, const char16_t* missingMessage) {
  slot = nullptr;
  // Fetched anew for every slot; "ntdll.dll" is in every process, so nothing
  // is loaded and a null handle simply makes the lookup fail.
  HMODULE ntdll = GetModuleHandleW(u"ntdll.dll");
  slot = reinterpret_cast<Fn>(GetProcAddress(ntdll, exportName));
  if (slot != nullptr) return true;
  PrintWide(missingMessage);
  return false;
}

}  // namespace

int InitNtApi() {
  const bool bound =
      Bind(NtApi.NtOpenSymbolicLinkObject, "NtOpenSymbolicLinkObject",
           u"Function <NtOpenSymbolicLinkObject> not found!\n") &&
      Bind(NtApi.NtQuerySymbolicLinkObject, "NtQuerySymbolicLinkObject",
           u"Function <NtQuerySymbolicLinkObject> not found!\n") &&
      Bind(NtApi.NtClose, "NtClose", u"Function <NtClose> not found!\n") &&
      Bind(NtApi.NtOpenKey, "NtOpenKey", u"Function <NtOpenKey> not found!\n") &&
      Bind(NtApi.NtQueryKey, "NtQueryKey", u"Function <NtQueryKey> not found!\n") &&
      Bind(NtApi.NtQueryValueKey, "NtQueryValueKey", u"Function <NtQueryValueKey> not found!\n");
  return bound ? 0 : 1;
}

}  // namespace tornvale

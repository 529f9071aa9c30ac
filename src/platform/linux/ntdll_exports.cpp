// Modules of the substitute: the program itself and "ntdll.dll", whose export
// table holds the native registry calls.
#include <set>
#include <string>

#include "platform/linux/key_name.h"
#include "platform/linux/native_calls.h"
#include "platform/linux/reset_parts.h"
#include "platform/linux/substitute.h"

namespace tornvale {
namespace {

HMODULE ProgramModule() { return reinterpret_cast<HMODULE>(uintptr_t{0x400000}); }
HMODULE NtdllModule() { return reinterpret_cast<HMODULE>(uintptr_t{0x7C900000}); }

struct Exports {
  std::set<std::string, std::less<>> removed;
  int lookups = 0;
};

Exports& State() {
  static Exports exports;
  return exports;
}

template <typename Fn>
FARPROC Entry(Fn function) {
  return reinterpret_cast<FARPROC>(function);
}

FARPROC FindExport(std::string_view name) {
  struct Export {
    std::string_view name;
    FARPROC entry;
  };
  const Export table[] = {
      {"NtOpenSymbolicLinkObject", Entry(&substitute::NtOpenSymbolicLinkObject)},
      {"NtQuerySymbolicLinkObject", Entry(&substitute::NtQuerySymbolicLinkObject)},
      {"NtClose", Entry(&substitute::NtClose)},
      {"NtOpenKey", Entry(&substitute::NtOpenKey)},
      {"NtQueryKey", Entry(&substitute::NtQueryKey)},
      {"NtQueryValueKey", Entry(&substitute::NtQueryValueKey)},
  };
  for (const Export& entry : table) {
    if (entry.name == name) return entry.entry;
  }
  return nullptr;
}

}  // namespace

HMODULE GetModuleHandleW(const char16_t* moduleName) {
  if (moduleName == nullptr) return ProgramModule();
  return KeyNamesEqual(moduleName, u"ntdll.dll") ? NtdllModule() : nullptr;
}

FARPROC GetProcAddress(HMODULE module, const char* procName) {
  Exports& exports = State();
  ++exports.lookups;
  if (module != NtdllModule() || procName == nullptr) return nullptr;
  if (exports.removed.count(std::string_view(procName)) != 0) return nullptr;
  return FindExport(procName);
}

namespace substitute {

void RemoveExport(std::string_view name) { State().removed.emplace(name); }

void RestoreExports() { State().removed.clear(); }

int ProcAddressLookups() { return State().lookups; }

void ResetExports() { State() = Exports{}; }

}  // namespace substitute
}  // namespace tornvale

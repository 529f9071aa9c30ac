// Modules of the substitute: the program itself and "ntdll.dll", whose export
// table holds the native registry calls.
#include <cstdint>
#include <string_view>

#include "platform/linux/key_name.h"
#include "platform/linux/substitute_calls.h"

namespace tornvale::substitute {
namespace {

HMODULE ProgramModule() { return reinterpret_cast<HMODULE>(uintptr_t{0x400000}); }
HMODULE NtdllModule() { return reinterpret_cast<HMODULE>(uintptr_t{0x7C900000}); }

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
      {"NtOpenSymbolicLinkObject", Entry(&NtOpenSymbolicLinkObject)},
      {"NtQuerySymbolicLinkObject", Entry(&NtQuerySymbolicLinkObject)},
      {"NtClose", Entry(&NtClose)},
      {"NtOpenKey", Entry(&NtOpenKey)},
      {"NtQueryKey", Entry(&NtQueryKey)},
      {"NtQueryValueKey", Entry(&NtQueryValueKey)},
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
  if (module != NtdllModule() || procName == nullptr) return nullptr;
  return FindExport(procName);
}

}  // namespace tornvale::substitute

// Module handles and export lookup, passed through to kernel32.
#include "platform/platform.h"

#include <windows.h>

tornvale::HMODULE tornvale::GetModuleHandleW(const char16_t* moduleName) {
  return reinterpret_cast<HMODULE>(::GetModuleHandleW(reinterpret_cast<const wchar_t*>(moduleName)));
}

tornvale::FARPROC tornvale::GetProcAddress(HMODULE module, const char* procName) {
  // The system's FARPROC returns int; going through void(*)() keeps the
  // function-pointer cast free of prototype warnings.
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(
      ::GetProcAddress(reinterpret_cast<::HMODULE>(module), procName)));
}

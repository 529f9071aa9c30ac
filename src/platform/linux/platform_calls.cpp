// The Linux program's platform: each operation of platform.h is the
// substitute's own, with nothing in between.
#include "platform/linux/substitute_calls.h"

namespace tornvale {

LONG RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, REGSAM desired,
                   HKEY* result) {
  return substitute::RegOpenKeyExW(key, subKey, options, desired, result);
}

LONG RegEnumKeyExW(HKEY key, DWORD index, char16_t* name, DWORD* nameCount, DWORD* reserved,
                   char16_t* className, DWORD* classCount, FILETIME* lastWriteTime) {
  return substitute::RegEnumKeyExW(key, index, name, nameCount, reserved, className, classCount,
                                   lastWriteTime);
}

LONG RegCloseKey(HKEY key) { return substitute::RegCloseKey(key); }

HMODULE GetModuleHandleW(const char16_t* moduleName) {
  return substitute::GetModuleHandleW(moduleName);
}

FARPROC GetProcAddress(HMODULE module, const char* procName) {
  return substitute::GetProcAddress(module, procName);
}

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) { return substitute::LocalAlloc(flags, bytes); }

HLOCAL LocalFree(HLOCAL block) { return substitute::LocalFree(block); }

char16_t* GetCommandLineW() { return substitute::GetCommandLineW(); }

BOOL AfxWinInit(HINSTANCE instance, HINSTANCE previous, char16_t* commandLine, int showCommand) {
  return substitute::AfxWinInit(instance, previous, commandLine, showCommand);
}

HANDLE GetStdHandle(DWORD which) { return substitute::GetStdHandle(which); }

DWORD GetFileType(HANDLE file) { return substitute::GetFileType(file); }

BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytes, DWORD* written, void* overlapped) {
  return substitute::WriteFile(file, buffer, bytes, written, overlapped);
}

}  // namespace tornvale

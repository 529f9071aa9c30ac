// The substitute's implementation of every operation platform.h declares,
// under the same names. A program binds platform.h to these: the Linux
// program directly (platform_calls.cpp), a test program through its own
// instrumented layer.
#pragma once

#include "platform/platform.h"

namespace tornvale::substitute {

LONG RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, REGSAM desired,
                   HKEY* result);
LONG RegEnumKeyExW(HKEY key, DWORD index, char16_t* name, DWORD* nameCount, DWORD* reserved,
                   char16_t* className, DWORD* classCount, FILETIME* lastWriteTime);
LONG RegCloseKey(HKEY key);

HMODULE GetModuleHandleW(const char16_t* moduleName);
FARPROC GetProcAddress(HMODULE module, const char* procName);
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
HLOCAL LocalFree(HLOCAL block);

char16_t* GetCommandLineW();
BOOL AfxWinInit(HINSTANCE instance, HINSTANCE previous, char16_t* commandLine, int showCommand);

HANDLE GetStdHandle(DWORD which);
DWORD GetFileType(HANDLE file);
BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytes, DWORD* written, void* overlapped);

// The native registry calls of the substitute "ntdll.dll", which its
// GetProcAddress hands out.
NTSTATUS NtOpenSymbolicLinkObject(HANDLE* linkHandle, ACCESS_MASK desired,
                                  OBJECT_ATTRIBUTES* attributes);
NTSTATUS NtQuerySymbolicLinkObject(HANDLE linkHandle, UNICODE_STRING* target,
                                   ULONG* returnedLength);
NTSTATUS NtClose(HANDLE handle);
NTSTATUS NtOpenKey(HANDLE* keyHandle, ACCESS_MASK desired, OBJECT_ATTRIBUTES* attributes);
NTSTATUS NtQueryKey(HANDLE keyHandle, ULONG informationClass, void* buffer, ULONG length,
                    ULONG* resultLength);
NTSTATUS NtQueryValueKey(HANDLE keyHandle, UNICODE_STRING* valueName, ULONG informationClass,
                         void* buffer, ULONG length, ULONG* resultLength);

}  // namespace tornvale::substitute

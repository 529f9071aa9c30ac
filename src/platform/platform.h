// Everything the tool needs from the operating system, declared once with
// portable types and the platform's own names. The Windows build maps these
// onto the real system calls; the Linux build provides them from a substitute
// registry. Core code includes only this header, never <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define TV_WINAPI __stdcall
#else
#define TV_WINAPI
#endif

namespace tornvale {

using BOOL = int32_t;
using UINT = uint32_t;
using DWORD = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using USHORT = uint16_t;
using NTSTATUS = int32_t;
using ACCESS_MASK = uint32_t;
using REGSAM = uint32_t;
using SIZE_T = std::size_t;

using HANDLE = void*;
using HLOCAL = void*;
struct HKEY__;
using HKEY = HKEY__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
// A generic entry point; callers cast it to the real prototype.
using FARPROC = void (*)();

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct UNICODE_STRING {
  USHORT Length;         // bytes, without a terminator
  USHORT MaximumLength;  // bytes
  char16_t* Buffer;
};

struct OBJECT_ATTRIBUTES {
  ULONG Length;
  HANDLE RootDirectory;
  UNICODE_STRING* ObjectName;
  ULONG Attributes;
  void* SecurityDescriptor;
  void* SecurityQualityOfService;
};

// Predefined handle values are sign-extended 32-bit numbers, as on Windows.
inline HKEY PredefinedKey(uint32_t value) {
  return reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(value)));
}
inline const HKEY HKEY_LOCAL_MACHINE = PredefinedKey(0x80000002u);
inline const HKEY HKEY_USERS = PredefinedKey(0x80000003u);
inline const HKEY HKEY_PERFORMANCE_TEXT = PredefinedKey(0x80000050u);
inline const HKEY HKEY_PERFORMANCE_NLSTEXT = PredefinedKey(0x80000060u);

constexpr REGSAM KEY_READ = 0x20019;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_NO_MORE_ITEMS = 259;
constexpr LONG ERROR_CANT_RESOLVE_FILENAME = 1921;

constexpr NTSTATUS NtStatus(uint32_t value) { return static_cast<NTSTATUS>(value); }
constexpr NTSTATUS STATUS_SUCCESS = 0;
constexpr NTSTATUS STATUS_BUFFER_OVERFLOW = NtStatus(0x80000005u);
constexpr NTSTATUS STATUS_NOT_IMPLEMENTED = NtStatus(0xC0000002u);
constexpr NTSTATUS STATUS_INVALID_HANDLE = NtStatus(0xC0000008u);
constexpr NTSTATUS STATUS_INVALID_PARAMETER = NtStatus(0xC000000Du);
constexpr NTSTATUS STATUS_ACCESS_DENIED = NtStatus(0xC0000022u);
constexpr NTSTATUS STATUS_BUFFER_TOO_SMALL = NtStatus(0xC0000023u);
constexpr NTSTATUS STATUS_OBJECT_NAME_INVALID = NtStatus(0xC0000033u);
constexpr NTSTATUS STATUS_OBJECT_NAME_NOT_FOUND = NtStatus(0xC0000034u);
constexpr NTSTATUS STATUS_OBJECT_PATH_NOT_FOUND = NtStatus(0xC000003Au);
constexpr NTSTATUS STATUS_NO_MEMORY = NtStatus(0xC0000017u);
constexpr NTSTATUS STATUS_REPARSE_POINT_NOT_RESOLVED = NtStatus(0xC0000280u);

constexpr ULONG OBJ_CASE_INSENSITIVE = 0x40;
constexpr ULONG OBJ_OPENLINK = 0x100;

constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_LINK = 6;

// KEY_INFORMATION_CLASS and KEY_VALUE_INFORMATION_CLASS values used here.
constexpr ULONG KeyNameInformation = 3;
constexpr ULONG KeyValueBasicInformation = 0;
constexpr ULONG KeyValuePartialInformation = 2;

constexpr UINT LPTR = 0x40;

constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
constexpr DWORD FILE_TYPE_UNKNOWN = 0;
constexpr DWORD FILE_TYPE_DISK = 1;
constexpr DWORD FILE_TYPE_CHAR = 2;
constexpr DWORD FILE_TYPE_PIPE = 3;

// Registry API.
LONG RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, REGSAM desired,
                   HKEY* result);
LONG RegEnumKeyExW(HKEY key, DWORD index, char16_t* name, DWORD* nameCount, DWORD* reserved,
                   char16_t* className, DWORD* classCount, FILETIME* lastWriteTime);
LONG RegCloseKey(HKEY key);

// Modules and the local heap.
HMODULE GetModuleHandleW(const char16_t* moduleName);
FARPROC GetProcAddress(HMODULE module, const char* procName);
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
HLOCAL LocalFree(HLOCAL block);

// Process start-up.
char16_t* GetCommandLineW();
BOOL AfxWinInit(HINSTANCE instance, HINSTANCE previous, char16_t* commandLine, int showCommand);

// Standard output.
HANDLE GetStdHandle(DWORD which);
DWORD GetFileType(HANDLE file);
BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytes, DWORD* written, void* overlapped);

// Native entry points, reached only through the NtApi table.
using NtOpenSymbolicLinkObjectFn = NTSTATUS(TV_WINAPI*)(HANDLE* linkHandle, ACCESS_MASK desired,
                                                        OBJECT_ATTRIBUTES* attributes);
using NtQuerySymbolicLinkObjectFn = NTSTATUS(TV_WINAPI*)(HANDLE linkHandle, UNICODE_STRING* target,
                                                         ULONG* returnedLength);
using NtCloseFn = NTSTATUS(TV_WINAPI*)(HANDLE handle);
using NtOpenKeyFn = NTSTATUS(TV_WINAPI*)(HANDLE* keyHandle, ACCESS_MASK desired,
                                         OBJECT_ATTRIBUTES* attributes);
using NtQueryKeyFn = NTSTATUS(TV_WINAPI*)(HANDLE keyHandle, ULONG informationClass, void* buffer,
                                          ULONG length, ULONG* resultLength);
using NtQueryValueKeyFn = NTSTATUS(TV_WINAPI*)(HANDLE keyHandle, UNICODE_STRING* valueName,
                                               ULONG informationClass, void* buffer, ULONG length,
                                               ULONG* resultLength);

}  // namespace tornvale

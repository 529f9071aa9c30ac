// The registry API, passed straight through to advapi32.
#include "platform/platform.h"

#include <windows.h>

namespace {

::HKEY ToWin(tornvale::HKEY key) { return reinterpret_cast<::HKEY>(key); }

}  // namespace

tornvale::LONG tornvale::RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options,
                                       REGSAM desired, HKEY* result) {
  ::HKEY opened = nullptr;
  const ::LONG status = ::RegOpenKeyExW(ToWin(key), reinterpret_cast<const wchar_t*>(subKey),
                                        options, desired, &opened);
  *result = reinterpret_cast<HKEY>(opened);
  return status;
}

tornvale::LONG tornvale::RegEnumKeyExW(HKEY key, DWORD index, char16_t* name, DWORD* nameCount,
                                       DWORD* reserved, char16_t* className, DWORD* classCount,
                                       FILETIME* lastWriteTime) {
  // Our DWORD and FILETIME match the system's in size and layout; only the
  // declared types differ.
  static_assert(sizeof(DWORD) == sizeof(::DWORD), "DWORD size");
  static_assert(sizeof(FILETIME) == sizeof(::FILETIME), "FILETIME size");
  return ::RegEnumKeyExW(ToWin(key), index, reinterpret_cast<wchar_t*>(name),
                         reinterpret_cast<::DWORD*>(nameCount),
                         reinterpret_cast<::DWORD*>(reserved),
                         reinterpret_cast<wchar_t*>(className),
                         reinterpret_cast<::DWORD*>(classCount),
                         reinterpret_cast<::FILETIME*>(lastWriteTime));
}

tornvale::LONG tornvale::RegCloseKey(HKEY key) { return ::RegCloseKey(ToWin(key)); }

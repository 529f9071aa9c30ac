// The native registry calls of the substitute "ntdll.dll". Programs reach them
// only through GetProcAddress, as on Windows.
#pragma once

#include "platform/platform.h"

namespace tornvale::substitute {

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

// The core's view of the system interface, reported from a file that sees
// only platform/platform.h, so that abi_test.cpp can hold it against
// <windows.h> and <winternl.h> (which define the same names as macros).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct CoreLayout {
  std::size_t attributesSize, length, rootDirectory, objectName, attributes, securityDescriptor,
      securityQualityOfService;
  std::size_t unicodeStringSize, unicodeLength, unicodeMaximumLength, unicodeBuffer;
};
CoreLayout CoreObjectAttributesLayout();

enum class CoreKey { LocalMachine, Users, PerformanceText, PerformanceNlsText };
std::uintptr_t CoreHandleValue(CoreKey key);

// RegOpenKeyExW through the platform layer with the core's handle value.
long CoreOpenAndClose(CoreKey hive, const char16_t* subKey);

// Binds the core's NtApi table (0 on success).
int CoreBindNtApi();

struct NativeRounds {
  unsigned opened = 0, queried = 0, closed = 0;
  std::u16string lastTarget;
};
// Opens the key (not following it), reads its SymbolicLinkValue and closes
// it, `rounds` times, all through the core's NtApi table and its types.
NativeRounds CoreReadLinkRounds(const std::u16string& ntPath, unsigned rounds);

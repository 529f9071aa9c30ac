// Controls of the Linux substitute for the operating system: which key store
// the registry serves, and the knobs tests use to make calls fail or to see
// what the program left open. A normal run never touches the knobs.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/linux/key_store.h"
#include "platform/platform.h"

namespace tornvale::substitute {

// The registry serves this store from now on; open handles are dropped.
void UseKeyStore(std::unique_ptr<KeyStore> store);
KeyStore& CurrentKeyStore();

// A store holding only the two empty roots, \Registry\Machine and \Registry\User.
std::unique_ptr<KeyStore> MakeEmptyRegistry();

// Failure injection, keyed by a key's full NT path as stored
// (for example u"\\Registry\\Machine\\A"), compared without regard to case.
struct RegistryFaults {
  std::function<bool(std::u16string_view key)> denyNativeOpen;
  std::function<bool(std::u16string_view key)> denyValueQuery;
  std::function<bool(std::u16string_view key)> denyRegOpen;
  // Makes RegEnumKeyExW answer `code` at `index` for the key.
  std::function<bool(std::u16string_view key, DWORD index, LONG* code)> failEnum;
  // Replaces the result of NtOpenKey for a path as the caller passed it:
  // return true and set the status and the handle to hand out.
  std::function<bool(std::u16string_view path, NTSTATUS* status, HANDLE* handle)> overrideOpen;
  // Called before each NtQueryValueKey; may change the store or force a status.
  // `call` counts the queries of the process from 1.
  std::function<bool(HANDLE key, ULONG informationClass, uint64_t call, NTSTATUS* status)>
      beforeValueQuery;
};
void SetRegistryFaults(RegistryFaults faults);

// Handles that RegOpenKeyExW and NtOpenKey gave out and nobody closed yet.
int OpenHandleCount();
// Number of NtOpenKey / NtClose / NtQueryValueKey calls since the last reset.
struct NativeCallCounts {
  int open = 0;
  int close = 0;
  int queryValue = 0;
};
NativeCallCounts NativeCalls();

// Makes the `n`-th LocalAlloc from now fail (1 = the next); 0 disables.
void FailLocalAllocAt(int n);
// Blocks that LocalAlloc gave out and LocalFree has not taken back.
int LiveLocalBlocks();

// Removes one export of the substitute "ntdll.dll" until RestoreExports.
void RemoveExport(std::string_view name);
void RestoreExports();
// Number of GetProcAddress calls since the last reset.
int ProcAddressLookups();

// Makes AfxWinInit fail.
void FailFrameworkInit(bool fail);

// Redirects standard output: `fileType` is what GetFileType reports for it and
// `write` receives every WriteFile (return false to make the write fail).
void CaptureStdout(DWORD fileType, std::function<bool(std::string_view bytes)> write);

// Back to a normal run: the empty registry, no faults, all exports, real stdout,
// counters cleared.
void Reset();

}  // namespace tornvale::substitute

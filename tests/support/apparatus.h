// The test apparatus: test programs bind platform.h to the substitute
// through this layer instead of the program's plain binding. It makes calls
// fail, keyed by what they are about (a key, an information class, an
// export), captures standard output, and keeps the counts that state rules
// (every handle and block given back, NtClose never called for a special
// handle value). Nothing of it is linked into a shipped program.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace tornvale::apparatus {

// Keys are named by their full NT path as the registry stores them
// (u"\\REGISTRY\\MACHINE\\A").
struct Faults {
  // NtOpenKey of the key answers STATUS_ACCESS_DENIED.
  std::function<bool(std::u16string_view key)> denyNativeOpen;
  // RegOpenKeyExW of the key answers ERROR_ACCESS_DENIED.
  std::function<bool(std::u16string_view key)> denyRegOpen;
  // RegEnumKeyExW of the key at `index` answers `code`.
  std::function<bool(std::u16string_view key, DWORD index, LONG* code)> failEnum;
  // NtOpenKey of `path`, as the caller passed it, answers `status` and
  // `handle` instead of opening anything.
  std::function<bool(std::u16string_view path, NTSTATUS* status, HANDLE* handle)> overrideOpen;
  // NtQueryValueKey on the key for `informationClass` (`sizeQuery` when no
  // buffer is passed): return true to answer `status` instead. It may also
  // change the store before the query is answered.
  std::function<bool(std::u16string_view key, ULONG informationClass, bool sizeQuery,
                     NTSTATUS* status)>
      valueQuery;
  // LocalAlloc fails for the buffer of a value record of this class (the
  // block asked for after the size query of that class).
  std::function<bool(ULONG informationClass)> failRecordBuffer;
  // As Wine does: RegOpenKeyExW of a predefined hive with an empty path
  // answers the predefined handle itself, and NtQueryKey cannot name it.
  bool predefinedRootsAsWine = false;
  // AfxWinInit reports failure.
  bool failFrameworkInit = false;
};
void SetFaults(Faults faults);

// Removes one export of "ntdll.dll" until Reset.
void RemoveExport(std::string_view name);

// Redirects standard output: `fileType` is what GetFileType reports for it and
// `write` receives every WriteFile (return false to make the write fail).
void CaptureStdout(DWORD fileType, std::function<bool(std::string_view bytes)> write);

// Handles that RegOpenKeyExW and NtOpenKey gave out and nobody closed yet.
int OpenHandleCount();
// Blocks that LocalAlloc gave out and LocalFree has not taken back.
int LiveLocalBlocks();
// Calls of the native entry points and of GetProcAddress since Reset.
struct Calls {
  int open = 0;
  int close = 0;
  int queryValue = 0;
  int procAddress = 0;
};
Calls CallCounts();

// A fresh empty registry, no faults, real stdout, counters cleared.
void Reset();

}  // namespace tornvale::apparatus

// The test programs' binding of platform.h: each call goes to the substitute,
// with the faults, capture and counts of apparatus.h in between.
#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/substitute.h"
#include "platform/linux/substitute_calls.h"
#include "support/apparatus.h"

namespace tornvale {
namespace {

struct Capture {
  bool active = false;
  DWORD fileType = FILE_TYPE_UNKNOWN;
  std::function<bool(std::string_view)> write;
};

struct State {
  apparatus::Faults faults;
  std::set<std::string, std::less<>> removedExports;
  Capture capture;
  std::set<HANDLE> handles;
  std::set<HLOCAL> blocks;
  apparatus::Calls calls;
  // The class of the last value size query, whose record a block is for.
  ULONG lastSizeQueryClass = ~ULONG{0};
};

State& The() {
  static State state;
  return state;
}

template <typename Fn, typename... Args>
bool Asks(const Fn& fault, Args&&... args) {
  return fault && fault(std::forward<Args>(args)...);
}

bool IsPredefined(HANDLE handle) { return handle == HKEY_LOCAL_MACHINE || handle == HKEY_USERS; }

// The key's full name as the substitute stores it; empty for no key.
std::u16string NameOf(HANDLE handle) {
  std::vector<unsigned char> buffer(4);
  ULONG needed = 0;
  substitute::NtQueryKey(handle, KeyNameInformation, buffer.data(), 4, &needed);
  if (needed <= 4) return {};
  buffer.resize(needed);
  if (substitute::NtQueryKey(handle, KeyNameInformation, buffer.data(), needed, &needed) !=
      STATUS_SUCCESS) {
    return {};
  }
  std::u16string name((needed - 4) / sizeof(char16_t), u'\0');
  std::memcpy(name.data(), buffer.data() + 4, name.size() * sizeof(char16_t));
  return name;
}

// Asks a fault about the key behind `handle`, naming it only when the fault is set.
template <typename Fn, typename... Args>
bool AsksAbout(const Fn& fault, HANDLE handle, Args&&... args) {
  return fault && fault(NameOf(handle), std::forward<Args>(args)...);
}

NTSTATUS TV_WINAPI OpenKey(HANDLE* keyHandle, ACCESS_MASK desired, OBJECT_ATTRIBUTES* attributes) {
  State& state = The();
  ++state.calls.open;
  if (attributes != nullptr && attributes->ObjectName != nullptr && keyHandle != nullptr) {
    const UNICODE_STRING& name = *attributes->ObjectName;
    NTSTATUS status = STATUS_SUCCESS;
    HANDLE handle = nullptr;
    if (Asks(state.faults.overrideOpen,
             std::u16string_view(name.Buffer, name.Length / sizeof(char16_t)), &status, &handle)) {
      if (status == STATUS_SUCCESS || handle != nullptr) *keyHandle = handle;
      return status;
    }
  }
  const NTSTATUS status = substitute::NtOpenKey(keyHandle, desired, attributes);
  if (status != STATUS_SUCCESS) return status;
  if (AsksAbout(state.faults.denyNativeOpen, *keyHandle)) {
    substitute::NtClose(*keyHandle);
    *keyHandle = nullptr;
    return STATUS_ACCESS_DENIED;
  }
  state.handles.insert(*keyHandle);
  return status;
}

NTSTATUS TV_WINAPI Close(HANDLE handle) {
  State& state = The();
  ++state.calls.close;
  const NTSTATUS status = substitute::NtClose(handle);
  if (status == STATUS_SUCCESS) state.handles.erase(handle);
  return status;
}

NTSTATUS TV_WINAPI QueryKey(HANDLE keyHandle, ULONG informationClass, void* buffer, ULONG length,
                            ULONG* resultLength) {
  if (The().faults.predefinedRootsAsWine && IsPredefined(keyHandle)) return STATUS_INVALID_HANDLE;
  return substitute::NtQueryKey(keyHandle, informationClass, buffer, length, resultLength);
}

NTSTATUS TV_WINAPI QueryValueKey(HANDLE keyHandle, UNICODE_STRING* valueName,
                                 ULONG informationClass, void* buffer, ULONG length,
                                 ULONG* resultLength) {
  State& state = The();
  ++state.calls.queryValue;
  const bool sizeQuery = buffer == nullptr;
  if (sizeQuery) state.lastSizeQueryClass = informationClass;
  NTSTATUS status = STATUS_SUCCESS;
  if (AsksAbout(state.faults.valueQuery, keyHandle, informationClass, sizeQuery, &status)) {
    return status;
  }
  return substitute::NtQueryValueKey(keyHandle, valueName, informationClass, buffer, length,
                                     resultLength);
}

NTSTATUS TV_WINAPI OpenSymbolicLinkObject(HANDLE* linkHandle, ACCESS_MASK desired,
                                          OBJECT_ATTRIBUTES* attributes) {
  return substitute::NtOpenSymbolicLinkObject(linkHandle, desired, attributes);
}

NTSTATUS TV_WINAPI QuerySymbolicLinkObject(HANDLE linkHandle, UNICODE_STRING* target,
                                           ULONG* returnedLength) {
  return substitute::NtQuerySymbolicLinkObject(linkHandle, target, returnedLength);
}

template <typename Fn>
FARPROC Entry(Fn function) {
  return reinterpret_cast<FARPROC>(function);
}

FARPROC InstrumentedExport(std::string_view name) {
  const std::pair<std::string_view, FARPROC> table[] = {
      {"NtOpenSymbolicLinkObject", Entry(&OpenSymbolicLinkObject)},
      {"NtQuerySymbolicLinkObject", Entry(&QuerySymbolicLinkObject)},
      {"NtClose", Entry(&Close)},
      {"NtOpenKey", Entry(&OpenKey)},
      {"NtQueryKey", Entry(&QueryKey)},
      {"NtQueryValueKey", Entry(&QueryValueKey)},
  };
  for (const auto& [exportName, entry] : table) {
    if (exportName == name) return entry;
  }
  return nullptr;
}

}  // namespace

LONG RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, REGSAM desired,
                   HKEY* result) {
  State& state = The();
  if (state.faults.predefinedRootsAsWine && IsPredefined(key) && result != nullptr &&
      (subKey == nullptr || *subKey == u'\0')) {
    *result = key;
    return ERROR_SUCCESS;
  }
  const LONG status = substitute::RegOpenKeyExW(key, subKey, options, desired, result);
  if (status != ERROR_SUCCESS) return status;
  if (AsksAbout(state.faults.denyRegOpen, *result)) {
    substitute::RegCloseKey(*result);
    *result = nullptr;
    return ERROR_ACCESS_DENIED;
  }
  state.handles.insert(*result);
  return status;
}

LONG RegEnumKeyExW(HKEY key, DWORD index, char16_t* name, DWORD* nameCount, DWORD* reserved,
                   char16_t* className, DWORD* classCount, FILETIME* lastWriteTime) {
  LONG code = ERROR_SUCCESS;
  if (AsksAbout(The().faults.failEnum, key, index, &code)) return code;
  return substitute::RegEnumKeyExW(key, index, name, nameCount, reserved, className, classCount,
                                   lastWriteTime);
}

LONG RegCloseKey(HKEY key) {
  const LONG status = substitute::RegCloseKey(key);
  if (status == ERROR_SUCCESS) The().handles.erase(key);
  return status;
}

HMODULE GetModuleHandleW(const char16_t* moduleName) {
  return substitute::GetModuleHandleW(moduleName);
}

FARPROC GetProcAddress(HMODULE module, const char* procName) {
  State& state = The();
  ++state.calls.procAddress;
  if (substitute::GetProcAddress(module, procName) == nullptr) return nullptr;
  if (state.removedExports.count(std::string_view(procName)) != 0) return nullptr;
  return InstrumentedExport(procName);
}

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
  State& state = The();
  if (Asks(state.faults.failRecordBuffer, state.lastSizeQueryClass)) return nullptr;
  HLOCAL block = substitute::LocalAlloc(flags, bytes);
  if (block != nullptr) state.blocks.insert(block);
  return block;
}

HLOCAL LocalFree(HLOCAL block) {
  HLOCAL result = substitute::LocalFree(block);
  if (block != nullptr && result == nullptr) The().blocks.erase(block);
  return result;
}

char16_t* GetCommandLineW() { return substitute::GetCommandLineW(); }

BOOL AfxWinInit(HINSTANCE instance, HINSTANCE previous, char16_t* commandLine, int showCommand) {
  if (The().faults.failFrameworkInit) return 0;
  return substitute::AfxWinInit(instance, previous, commandLine, showCommand);
}

HANDLE GetStdHandle(DWORD which) { return substitute::GetStdHandle(which); }

DWORD GetFileType(HANDLE file) {
  const Capture& capture = The().capture;
  if (capture.active && file == substitute::GetStdHandle(STD_OUTPUT_HANDLE)) {
    return capture.fileType;
  }
  return substitute::GetFileType(file);
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytes, DWORD* written, void* overlapped) {
  const Capture& capture = The().capture;
  if (!capture.active || file != substitute::GetStdHandle(STD_OUTPUT_HANDLE)) {
    return substitute::WriteFile(file, buffer, bytes, written, overlapped);
  }
  if (written != nullptr) *written = 0;
  if (!capture.write(std::string_view(static_cast<const char*>(buffer), bytes))) return 0;
  if (written != nullptr) *written = bytes;
  return 1;
}

namespace apparatus {

void SetFaults(Faults faults) { The().faults = std::move(faults); }

void RemoveExport(std::string_view name) { The().removedExports.emplace(name); }

void CaptureStdout(DWORD fileType, std::function<bool(std::string_view bytes)> write) {
  The().capture = Capture{true, fileType, std::move(write)};
}

int OpenHandleCount() { return static_cast<int>(The().handles.size()); }

int LiveLocalBlocks() { return static_cast<int>(The().blocks.size()); }

Calls CallCounts() { return The().calls; }

void Reset() {
  State& state = The();
  for (HLOCAL block : state.blocks) substitute::LocalFree(block);
  state = State{};
  substitute::UseKeyStore(substitute::MakeEmptyRegistry());
}

}  // namespace apparatus
}  // namespace tornvale

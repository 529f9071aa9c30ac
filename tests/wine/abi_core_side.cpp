#include "abi_core_side.h"

#include <vector>

#include "native/nt_api.h"
#include "platform/platform.h"

using namespace tornvale;

CoreLayout CoreObjectAttributesLayout() {
  return {sizeof(OBJECT_ATTRIBUTES),
          offsetof(OBJECT_ATTRIBUTES, Length),
          offsetof(OBJECT_ATTRIBUTES, RootDirectory),
          offsetof(OBJECT_ATTRIBUTES, ObjectName),
          offsetof(OBJECT_ATTRIBUTES, Attributes),
          offsetof(OBJECT_ATTRIBUTES, SecurityDescriptor),
          offsetof(OBJECT_ATTRIBUTES, SecurityQualityOfService),
          sizeof(UNICODE_STRING),
          offsetof(UNICODE_STRING, Length),
          offsetof(UNICODE_STRING, MaximumLength),
          offsetof(UNICODE_STRING, Buffer)};
}

namespace {

HKEY Handle(CoreKey key) {
  switch (key) {
    case CoreKey::LocalMachine: return HKEY_LOCAL_MACHINE;
    case CoreKey::Users: return HKEY_USERS;
    case CoreKey::PerformanceText: return HKEY_PERFORMANCE_TEXT;
    case CoreKey::PerformanceNlsText: return HKEY_PERFORMANCE_NLSTEXT;
  }
  return nullptr;
}

}  // namespace

std::uintptr_t CoreHandleValue(CoreKey key) { return reinterpret_cast<std::uintptr_t>(Handle(key)); }

long CoreOpenAndClose(CoreKey hive, const char16_t* subKey) {
  HKEY key = nullptr;
  const LONG status = RegOpenKeyExW(Handle(hive), subKey, 0, KEY_READ, &key);
  if (status == ERROR_SUCCESS) RegCloseKey(key);
  return status;
}

int CoreBindNtApi() { return InitNtApi(); }

// Not inlined, so each round's calls go through the table's pointer types as
// the probe's do; a callee that pops arguments the caller also pops (or the
// other way round) leaves the stack pointer off by the arguments' size on
// every call, and a thousand rounds of that do not come back.
__attribute__((noinline)) NativeRounds CoreReadLinkRounds(const std::u16string& ntPath,
                                                          unsigned rounds) {
  NativeRounds result;
  std::u16string name = ntPath;
  char16_t valueChars[] = u"SymbolicLinkValue";
  for (unsigned i = 0; i < rounds; ++i) {
    UNICODE_STRING keyName = {static_cast<USHORT>(name.size() * sizeof(char16_t)),
                              static_cast<USHORT>(name.size() * sizeof(char16_t)), name.data()};
    OBJECT_ATTRIBUTES attributes = {sizeof(OBJECT_ATTRIBUTES), nullptr, &keyName,
                                    OBJ_CASE_INSENSITIVE | OBJ_OPENLINK, nullptr, nullptr};
    HANDLE key = nullptr;
    if (NtApi.NtOpenKey(&key, KEY_READ, &attributes) != STATUS_SUCCESS) continue;
    ++result.opened;
    UNICODE_STRING valueName = {sizeof(valueChars) - sizeof(char16_t), sizeof(valueChars),
                                valueChars};
    std::vector<unsigned char> record(1024);
    ULONG length = 0;
    if (NtApi.NtQueryValueKey(key, &valueName, KeyValuePartialInformation, record.data(),
                              static_cast<ULONG>(record.size()), &length) == STATUS_SUCCESS) {
      ++result.queried;
      ULONG dataLength = 0;
      for (int b = 3; b >= 0; --b) dataLength = (dataLength << 8) | record[8 + b];
      result.lastTarget.assign(reinterpret_cast<const char16_t*>(record.data() + 12),
                               dataLength / sizeof(char16_t));
    }
    if (NtApi.NtClose(key) == STATUS_SUCCESS) ++result.closed;
  }
  return result;
}

// Windows registry semantics over a KeyStore: paths resolved without regard
// to case, links followed in the middle of a path by every open and at its
// end unless the caller asks for the link itself, handles, value records and
// the statuses a program sees.
#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "platform/linux/key_name.h"
#include "platform/linux/memory_key_store.h"
#include "platform/linux/substitute.h"
#include "platform/linux/substitute_calls.h"
#include "platform/linux/utf16le.h"

namespace tornvale::substitute {
namespace {

constexpr DWORD REG_OPTION_OPEN_LINK = 8;
constexpr LONG ERROR_PATH_NOT_FOUND = 3;
constexpr LONG ERROR_INVALID_NAME = 123;
constexpr LONG ERROR_BAD_PATHNAME = 161;
constexpr LONG ERROR_BADDB = 1009;
constexpr NTSTATUS STATUS_OBJECT_PATH_INVALID = NtStatus(0xC0000039u);
// Windows gives up on a chain of links after this many.
constexpr int kMaxLinkFollows = 16;

struct OpenKey {
  KeyId id = 0;
  std::u16string fullName;  // \REGISTRY\MACHINE\..., names as stored
};

// The keys along the last path opened from \REGISTRY. A search opens key
// after key below the same parents, so the next path mostly begins with the
// same text and those keys need not be looked up again. A link is never
// kept: a path has to be looked at anew where it passes one.
struct PathCache {
  std::u16string path;                // as the caller wrote it
  std::vector<std::size_t> ends;      // where each kept name ends in `path`
  std::vector<KeyId> keys;            // the key of each kept name
  std::vector<std::size_t> nameEnds;  // length of `fullName` down to each key
  std::u16string fullName;            // \REGISTRY\..., names as stored
};

struct Registry {
  std::unique_ptr<KeyStore> store;
  PathCache cache;
  std::map<uintptr_t, OpenKey> handles;
  uintptr_t nextHandle = 0x1000;
};

Registry& State() {
  static Registry registry;
  return registry;
}

// Until a program hands it a store, the registry holds the two empty roots.
KeyStore& Store() {
  Registry& registry = State();
  if (!registry.store) registry.store = MakeEmptyRegistry();
  return *registry.store;
}

bool LinkTarget(KeyId key, std::u16string* target) {
  StoredValue value;
  if (!Store().QueryValue(key, u"SymbolicLinkValue", &value) || value.type != REG_LINK) {
    return false;
  }
  *target = DecodeUtf16LeText(value.data.data(), value.data.size());
  return true;
}

NTSTATUS ResolveFromRoot(std::u16string_view ntPath, bool openLinkAtEnd, int follows,
                         OpenKey* out);

// Follows the link `key` and then the rest of the path after it.
NTSTATUS FollowLink(KeyId key, std::u16string_view rest, bool openLinkAtEnd, int follows,
                    OpenKey* out) {
  std::u16string target;
  if (!LinkTarget(key, &target)) return STATUS_OBJECT_NAME_NOT_FOUND;
  if (follows >= kMaxLinkFollows) return STATUS_REPARSE_POINT_NOT_RESOLVED;
  target.append(rest);
  return ResolveFromRoot(target, openLinkAtEnd, follows + 1, out);
}

bool IsLastName(std::u16string_view path, std::size_t end) {
  return path.find_first_not_of(u'\\', end) == std::u16string_view::npos;
}

// The full NT path of a key opened relative to `base`: every open, relative
// or not, is resolved from \REGISTRY by the one walker below.
bool PathBelow(HANDLE base, std::u16string_view path, std::u16string* ntPath);

// Opens a full NT path, \REGISTRY\..., reusing the keys the last such path
// passed for as much of its text as the new one repeats.
NTSTATUS ResolveFromRoot(std::u16string_view ntPath, bool openLinkAtEnd, int follows,
                         OpenKey* out) {
  if (ntPath.empty() || ntPath[0] != u'\\') return STATUS_OBJECT_PATH_INVALID;
  KeyStore& store = Store();
  PathCache& cache = State().cache;

  const std::size_t common = static_cast<std::size_t>(
      std::mismatch(ntPath.begin(), ntPath.end(), cache.path.begin(), cache.path.end()).first -
      ntPath.begin());
  std::size_t kept = 0;
  while (kept < cache.ends.size() && cache.ends[kept] <= common &&
         (cache.ends[kept] == ntPath.size() || ntPath[cache.ends[kept]] == u'\\') &&
         !store.IsLink(cache.keys[kept])) {
    ++kept;
  }
  cache.path.assign(ntPath);
  cache.ends.resize(kept);
  cache.keys.resize(kept);
  cache.nameEnds.resize(kept);
  cache.fullName.resize(kept > 0 ? cache.nameEnds.back() : 0);

  std::size_t at = kept > 0 ? cache.ends.back() : 0;
  while ((at = ntPath.find_first_not_of(u'\\', at)) != std::u16string_view::npos) {
    const std::size_t end = std::min(ntPath.find(u'\\', at), ntPath.size());
    const std::u16string_view name = ntPath.substr(at, end - at);
    KeyId key = store.Root();
    if (cache.keys.empty()) {
      if (!KeyNamesEqual(name, u"REGISTRY")) return STATUS_OBJECT_NAME_NOT_FOUND;
    } else if (!store.FindSubkey(cache.keys.back(), name, &key)) {
      return STATUS_OBJECT_NAME_NOT_FOUND;
    }
    if (store.IsLink(key)) {
      if (IsLastName(ntPath, end) && openLinkAtEnd) {
        *out = OpenKey{key, cache.fullName + u'\\' + store.Name(key)};
        return STATUS_SUCCESS;
      }
      return FollowLink(key, ntPath.substr(end), openLinkAtEnd, follows, out);
    }
    cache.fullName += u'\\';
    cache.fullName += store.Name(key);
    cache.ends.push_back(end);
    cache.keys.push_back(key);
    cache.nameEnds.push_back(cache.fullName.size());
    at = end;
  }
  if (cache.keys.empty()) return STATUS_OBJECT_NAME_NOT_FOUND;
  *out = OpenKey{cache.keys.back(), cache.fullName};
  return STATUS_SUCCESS;
}

// The full NT path of a predefined hive, or empty for any other handle.
std::u16string_view PredefinedRoot(HANDLE handle) {
  if (handle == HKEY_LOCAL_MACHINE) return u"\\Registry\\Machine";
  if (handle == HKEY_USERS) return u"\\Registry\\User";
  return {};
}

// The key behind a handle: an open one, or a predefined hive.
bool LookUp(HANDLE handle, OpenKey* key) {
  const std::u16string_view root = PredefinedRoot(handle);
  if (!root.empty()) return ResolveFromRoot(root, false, 0, key) == STATUS_SUCCESS;
  Registry& registry = State();
  auto entry = registry.handles.find(reinterpret_cast<uintptr_t>(handle));
  if (entry == registry.handles.end()) return false;
  *key = entry->second;
  return true;
}

bool PathBelow(HANDLE base, std::u16string_view path, std::u16string* ntPath) {
  // A predefined hive by the spelling native paths use, so that the two kinds
  // of open share the kept keys.
  const std::u16string_view root = PredefinedRoot(base);
  OpenKey open;
  if (!root.empty()) {
    ntPath->assign(root);
  } else if (LookUp(base, &open)) {
    *ntPath = std::move(open.fullName);
  } else {
    return false;
  }
  *ntPath += u'\\';
  *ntPath += path;
  return true;
}

HANDLE NewHandle(OpenKey key) {
  Registry& registry = State();
  const uintptr_t value = registry.nextHandle;
  registry.nextHandle += 4;
  registry.handles.emplace(value, std::move(key));
  return reinterpret_cast<HANDLE>(value);
}

LONG ToWin32(NTSTATUS status) {
  switch (status) {
    case STATUS_SUCCESS: return ERROR_SUCCESS;
    case STATUS_OBJECT_NAME_NOT_FOUND: return ERROR_FILE_NOT_FOUND;
    case STATUS_OBJECT_PATH_NOT_FOUND: return ERROR_PATH_NOT_FOUND;
    case STATUS_ACCESS_DENIED: return ERROR_ACCESS_DENIED;
    case STATUS_OBJECT_NAME_INVALID: return ERROR_INVALID_NAME;
    case STATUS_OBJECT_PATH_INVALID: return ERROR_BAD_PATHNAME;
    case STATUS_REPARSE_POINT_NOT_RESOLVED: return ERROR_CANT_RESOLVE_FILENAME;
    default: return ERROR_INVALID_PARAMETER;
  }
}

// A record as the native calls return it: 32-bit fields, then a payload.
struct Record {
  std::vector<uint32_t> fields;
  const void* payload = nullptr;
  std::size_t payloadBytes = 0;

  std::size_t Size() const { return fields.size() * sizeof(uint32_t) + payloadBytes; }
};

// Fills a caller's buffer as the native calls do: too small for the fixed
// fields, nothing; too small for the rest, as much as fits.
NTSTATUS CopyRecord(const Record& record, void* buffer, ULONG length, ULONG* resultLength) {
  const std::size_t fixed = record.fields.size() * sizeof(uint32_t);
  if (resultLength != nullptr) *resultLength = static_cast<ULONG>(record.Size());
  if (length < fixed) return STATUS_BUFFER_TOO_SMALL;
  if (buffer == nullptr) return STATUS_INVALID_PARAMETER;
  unsigned char* out = static_cast<unsigned char*>(buffer);
  std::memcpy(out, record.fields.data(), fixed);
  const std::size_t copied = std::min<std::size_t>(length - fixed, record.payloadBytes);
  if (copied > 0) std::memcpy(out + fixed, record.payload, copied);
  return copied < record.payloadBytes ? STATUS_BUFFER_OVERFLOW : STATUS_SUCCESS;
}

}  // namespace

LONG RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, REGSAM /*desired*/,
                   HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  const std::u16string_view path = subKey != nullptr ? subKey : u"";
  if (!path.empty() && path[0] == u'\\') return ERROR_BAD_PATHNAME;
  const bool openLink = (options & REG_OPTION_OPEN_LINK) != 0;

  std::u16string ntPath;
  if (!PathBelow(key, path, &ntPath)) return ERROR_INVALID_HANDLE;
  OpenKey opened;
  const NTSTATUS status = ResolveFromRoot(ntPath, openLink, 0, &opened);
  if (status != STATUS_SUCCESS) return ToWin32(status);
  *result = static_cast<HKEY>(NewHandle(std::move(opened)));
  return ERROR_SUCCESS;
}

LONG RegEnumKeyExW(HKEY key, DWORD index, char16_t* name, DWORD* nameCount, DWORD* /*reserved*/,
                   char16_t* className, DWORD* classCount, FILETIME* lastWriteTime) {
  OpenKey open;
  if (!LookUp(key, &open)) return ERROR_INVALID_HANDLE;
  if (name == nullptr || nameCount == nullptr) return ERROR_INVALID_PARAMETER;

  std::u16string subkey;
  switch (Store().SubkeyAt(open.id, index, &subkey)) {
    case SubkeyResult::kEnd: return ERROR_NO_MORE_ITEMS;
    case SubkeyResult::kFailed: return ERROR_BADDB;
    case SubkeyResult::kFound: break;
  }
  if (subkey.size() >= *nameCount) return ERROR_MORE_DATA;
  std::copy(subkey.begin(), subkey.end(), name);
  name[subkey.size()] = u'\0';
  *nameCount = static_cast<DWORD>(subkey.size());
  // Keys here carry no class.
  if (className != nullptr && classCount != nullptr && *classCount > 0) className[0] = u'\0';
  if (classCount != nullptr) *classCount = 0;
  if (lastWriteTime != nullptr) *lastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  if (key == HKEY_LOCAL_MACHINE || key == HKEY_USERS) return ERROR_SUCCESS;
  return State().handles.erase(reinterpret_cast<uintptr_t>(key)) != 0 ? ERROR_SUCCESS
                                                                      : ERROR_INVALID_HANDLE;
}

NTSTATUS NtOpenSymbolicLinkObject(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*) {
  return STATUS_NOT_IMPLEMENTED;
}

NTSTATUS NtQuerySymbolicLinkObject(HANDLE, UNICODE_STRING*, ULONG*) {
  return STATUS_NOT_IMPLEMENTED;
}

NTSTATUS NtClose(HANDLE handle) {
  return State().handles.erase(reinterpret_cast<uintptr_t>(handle)) != 0 ? STATUS_SUCCESS
                                                                          : STATUS_INVALID_HANDLE;
}

NTSTATUS NtOpenKey(HANDLE* keyHandle, ACCESS_MASK /*desired*/, OBJECT_ATTRIBUTES* attributes) {
  if (keyHandle == nullptr || attributes == nullptr || attributes->ObjectName == nullptr) {
    return STATUS_INVALID_PARAMETER;
  }
  const UNICODE_STRING& name = *attributes->ObjectName;
  const std::u16string_view path(name.Buffer, name.Length / sizeof(char16_t));

  NTSTATUS status = STATUS_SUCCESS;
  const bool openLink = (attributes->Attributes & OBJ_OPENLINK) != 0;
  OpenKey opened;
  if (attributes->RootDirectory != nullptr) {
    if (!path.empty() && path[0] == u'\\') return STATUS_OBJECT_PATH_INVALID;
    std::u16string ntPath;
    if (!PathBelow(attributes->RootDirectory, path, &ntPath)) return STATUS_INVALID_HANDLE;
    status = ResolveFromRoot(ntPath, openLink, 0, &opened);
  } else {
    status = ResolveFromRoot(path, openLink, 0, &opened);
  }
  if (status != STATUS_SUCCESS) return status;
  *keyHandle = NewHandle(std::move(opened));
  return STATUS_SUCCESS;
}

NTSTATUS NtQueryKey(HANDLE keyHandle, ULONG informationClass, void* buffer, ULONG length,
                    ULONG* resultLength) {
  OpenKey open;
  if (!LookUp(keyHandle, &open)) return STATUS_INVALID_HANDLE;
  if (informationClass != KeyNameInformation) return STATUS_INVALID_PARAMETER;
  const std::size_t nameBytes = open.fullName.size() * sizeof(char16_t);
  const Record record{{static_cast<uint32_t>(nameBytes)}, open.fullName.data(), nameBytes};
  return CopyRecord(record, buffer, length, resultLength);
}

NTSTATUS NtQueryValueKey(HANDLE keyHandle, UNICODE_STRING* valueName, ULONG informationClass,
                         void* buffer, ULONG length, ULONG* resultLength) {
  OpenKey open;
  if (!LookUp(keyHandle, &open)) return STATUS_INVALID_HANDLE;
  if (valueName == nullptr) return STATUS_INVALID_PARAMETER;

  const std::u16string_view name(valueName->Buffer, valueName->Length / sizeof(char16_t));
  StoredValue value;
  if (!Store().QueryValue(open.id, name, &value)) return STATUS_OBJECT_NAME_NOT_FOUND;

  // TitleIndex, Type, then the name's or the data's length and bytes.
  Record record;
  if (informationClass == KeyValueBasicInformation) {
    record = Record{{}, name.data(), name.size() * sizeof(char16_t)};
  } else if (informationClass == KeyValuePartialInformation) {
    record = Record{{}, value.data.data(), value.data.size()};
  } else {
    return STATUS_INVALID_PARAMETER;
  }
  record.fields = {0, value.type, static_cast<uint32_t>(record.payloadBytes)};
  return CopyRecord(record, buffer, length, resultLength);
}

void UseKeyStore(std::unique_ptr<KeyStore> store) {
  Registry& registry = State();
  registry.store = std::move(store);
  registry.cache = PathCache{};
  registry.handles.clear();
}


std::unique_ptr<KeyStore> MakeEmptyRegistry() { return std::make_unique<MemoryKeyStore>(); }

}  // namespace tornvale::substitute

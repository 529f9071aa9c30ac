#include "native/link_probe.h"

#include <cstring>
#include <limits>
#include <new>

#include "native/nt_api.h"
#include "platform/platform.h"

namespace tornvale {
namespace {

// Both value records start with TitleIndex, Type and a length, then their
// name or data.
constexpr ULONG kRecordHeader = 12;
constexpr ULONG kTypeOffset = 4;
constexpr ULONG kDataLengthOffset = 8;
// The key name's Length is a 16-bit count of bytes.
constexpr std::size_t kMaxNameChars = 0xFFFF / sizeof(char16_t);

struct ProbeState {
  HANDLE key = nullptr;
  ULONG needed = 0;
  ULONG size = 0;
  void* basic = nullptr;
  void* partial = nullptr;
};

bool IsSpecialHandle(HANDLE handle) {
  return handle == HKEY_PERFORMANCE_TEXT || handle == HKEY_PERFORMANCE_NLSTEXT;
}

uint32_t ReadU32(const void* record, ULONG offset) {
  uint32_t value;
  std::memcpy(&value, static_cast<const unsigned char*>(record) + offset, sizeof(value));
  return value;
}

// The buffer is two bytes larger than the record the platform asked for.
bool SizeBuffer(ProbeState& state) {
  if (state.needed > std::numeric_limits<ULONG>::max() - 2) return false;
  state.size = state.needed + 2;
  return true;
}

// The link text from the partial record. The terminator goes at character
// DataLength / 2, but never past the buffer, even if the data grew between the
// size query and the read.
bool TakeTarget(const ProbeState& state, std::u16string& target) {
  if (state.size < kRecordHeader + sizeof(char16_t)) return false;
  char16_t* data = reinterpret_cast<char16_t*>(static_cast<unsigned char*>(state.partial) +
                                               kRecordHeader);
  const std::size_t capacity = (state.size - kRecordHeader) / sizeof(char16_t) - 1;
  const std::size_t end = std::min<std::size_t>(ReadU32(state.partial, kDataLengthOffset) / 2,
                                                capacity);
  data[end] = u'\0';
  try {
    target.assign(data);
  } catch (const std::bad_alloc&) {
    target.clear();
    return false;
  }
  return true;
}

// One value record: the size query, a zero-filled buffer of that size plus
// two bytes, then the read. False when any step fails; the size query's
// status goes to `sizeStatus`, so the caller can tell a missing or refused
// value from other failures.
bool ReadRecord(ProbeState& state, UNICODE_STRING& valueName, ULONG informationClass,
                void** buffer, NTSTATUS* sizeStatus) {
  state.size = 0;
  state.needed = 0;
  *sizeStatus = NtApi.NtQueryValueKey(state.key, &valueName, informationClass, nullptr, 0,
                                      &state.needed);
  if (*sizeStatus != STATUS_BUFFER_TOO_SMALL || !SizeBuffer(state)) return false;
  *buffer = LocalAlloc(LPTR, state.size);
  if (*buffer == nullptr) return false;
  return NtApi.NtQueryValueKey(state.key, &valueName, informationClass, *buffer, state.size,
                               &state.needed) == STATUS_SUCCESS;
}

LinkProbeResult Probe(std::u16string& ntPath, ProbeState& state, std::u16string& target) {
  const std::size_t nameChars = std::char_traits<char16_t>::length(ntPath.c_str());
  if (nameChars > kMaxNameChars) return QueryError;
  UNICODE_STRING keyName = {static_cast<USHORT>(nameChars * sizeof(char16_t)), 0, ntPath.data()};
  OBJECT_ATTRIBUTES attributes = {sizeof(OBJECT_ATTRIBUTES), nullptr, &keyName,
                                  OBJ_CASE_INSENSITIVE | OBJ_OPENLINK, nullptr, nullptr};

  NTSTATUS status = NtApi.NtOpenKey(&state.key, KEY_READ, &attributes);
  if (status == STATUS_ACCESS_DENIED) return AccessDenied;
  if (status != STATUS_SUCCESS) return QueryError;

  char16_t valueChars[] = u"SymbolicLinkValue";
  UNICODE_STRING valueName = {sizeof(valueChars) - sizeof(char16_t), 0, valueChars};

  NTSTATUS sizeStatus = STATUS_SUCCESS;
  const bool readBasic =
      ReadRecord(state, valueName, KeyValueBasicInformation, &state.basic, &sizeStatus);
  if (sizeStatus == STATUS_OBJECT_NAME_NOT_FOUND) return NotALink;
  if (sizeStatus == STATUS_INVALID_HANDLE && IsSpecialHandle(state.key)) return NotALink;
  if (sizeStatus == STATUS_ACCESS_DENIED) return AccessDenied;
  if (!readBasic || state.size < kRecordHeader) return QueryError;
  if (ReadU32(state.basic, kTypeOffset) != REG_LINK) return NotALink;

  if (!ReadRecord(state, valueName, KeyValuePartialInformation, &state.partial, &sizeStatus)) {
    return QueryError;
  }
  return TakeTarget(state, target) ? LinkFound : QueryError;
}

}  // namespace

LinkProbeResult QueryLinkTarget(std::u16string ntPath, std::u16string& target) {
  target.clear();
  ProbeState state;
  const LinkProbeResult result = Probe(ntPath, state, target);

  if (state.partial != nullptr) LocalFree(state.partial);
  if (state.basic != nullptr) LocalFree(state.basic);
  // The performance keys' special handle values are not real handles.
  if (state.key != nullptr && !IsSpecialHandle(state.key)) NtApi.NtClose(state.key);
  state.key = nullptr;
  return result;
}

}  // namespace tornvale

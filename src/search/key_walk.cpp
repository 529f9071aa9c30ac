#include "search/key_walk.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "output/output.h"
#include "native/link_probe.h"
#include "native/nt_api.h"
#include "search/path_forms.h"

namespace tornvale {
namespace {

constexpr DWORD kNameChars = 256;  // 255 characters and the terminating NUL

// No registry nests deeper than this. A walk this deep is going round a cycle
// whose keys the platform could not name; most platforms also stop following
// a chain of links long before.
constexpr std::size_t kMaxDepth = 512;

// The real names of the keys that the walk is inside, from the top down. A
// link whose probe was refused is opened through the registry API, which
// follows it; if that lands on one of these keys, listing it again would
// never end.
using Ancestors = std::vector<std::u16string>;

// The key's full name as the registry knows it, whatever path reached it.
// Empty when the platform does not say.
std::u16string RealKeyName(HKEY key) {
  constexpr ULONG kNameOffset = 4;  // KEY_NAME_INFORMATION: NameLength, then Name
  unsigned char firstTry[1024];
  std::vector<unsigned char> larger;
  unsigned char* buffer = firstTry;
  ULONG size = sizeof(firstTry);
  ULONG needed = 0;
  NTSTATUS status = NtApi.NtQueryKey(key, KeyNameInformation, buffer, size, &needed);
  if ((status == STATUS_BUFFER_OVERFLOW || status == STATUS_BUFFER_TOO_SMALL) && needed > size) {
    larger.resize(needed);
    buffer = larger.data();
    size = needed;
    status = NtApi.NtQueryKey(key, KeyNameInformation, buffer, size, &needed);
  }
  if (status != STATUS_SUCCESS) return {};
  ULONG nameBytes = 0;
  std::memcpy(&nameBytes, buffer, sizeof(nameBytes));
  nameBytes = std::min<ULONG>(nameBytes, size - kNameOffset);
  std::u16string name(nameBytes / sizeof(char16_t), u'\0');
  std::memcpy(name.data(), buffer + kNameOffset, name.size() * sizeof(char16_t));
  return name;
}

bool IsInside(const Ancestors& ancestors, const std::u16string& name) {
  return !name.empty() && std::find(ancestors.begin(), ancestors.end(), name) != ancestors.end();
}

void PrintProbeLine(LinkProbeResult result, const HivePath& forms, DWORD verbose,
                    const std::u16string& target) {
  switch (result) {
    case LinkFound:
      PrintWide(u"\"%s\" -> \"%s\"\n", forms.displayPath.c_str(), ShortenNtPath(target).c_str());
      break;
    case AccessDenied:
      if (verbose != 0) PrintWide(u"\"%s\" [access denied]\n", forms.displayPath.c_str());
      break;
    case QueryError:
      PrintWide(u"\"%s\"\t[error while querying]\n", forms.displayPath.c_str());
      break;
    case NotALink:
      break;
  }
}

DWORD SearchKey(const std::u16string& path, DWORD verbose, Ancestors& ancestors) {
  HivePath forms;
  if (!SplitHivePath(path, forms)) return ERROR_INVALID_PARAMETER;

  std::u16string target;
  const LinkProbeResult probe = QueryLinkTarget(forms.ntPath, target);
  PrintProbeLine(probe, forms, verbose, target);
  if (probe == LinkFound) return ERROR_SUCCESS;

  if (ancestors.size() >= kMaxDepth) return ERROR_SUCCESS;

  HKEY key = nullptr;
  const LONG opened = RegOpenKeyExW(forms.hive, forms.relativePath.c_str(), 0, KEY_READ, &key);
  if (opened != ERROR_SUCCESS || key == nullptr) return static_cast<DWORD>(opened);

  std::u16string realName = RealKeyName(key);
  if (IsInside(ancestors, realName)) {
    RegCloseKey(key);
    return ERROR_SUCCESS;
  }

  DWORD status = ERROR_SUCCESS;
  std::vector<std::u16string> subkeys;
  char16_t name[kNameChars];
  char16_t className[kNameChars];
  FILETIME lastWriteTime;
  for (DWORD index = 0;; ++index) {
    DWORD nameCount = kNameChars;
    DWORD classCount = kNameChars;
    const LONG result = RegEnumKeyExW(key, index, name, &nameCount, nullptr, className,
                                      &classCount, &lastWriteTime);
    if (result != ERROR_SUCCESS) {
      status = result == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : static_cast<DWORD>(result);
      break;
    }
    // The name ends at its first NUL; the count the call returns is not used.
    subkeys.emplace_back(name, std::find(name, name + kNameChars, u'\0'));
  }
  RegCloseKey(key);

  ancestors.push_back(std::move(realName));
  for (const std::u16string& subkey : subkeys) {
    // A name that is empty up to its first NUL would name this key again.
    if (subkey.empty()) continue;
    SearchKey(forms.displayPath + u"\\" + subkey, verbose, ancestors);
  }
  ancestors.pop_back();
  return status;
}

}  // namespace

DWORD SearchKeyForLinks(std::u16string path, DWORD verbose) {
  Ancestors ancestors;
  return SearchKey(path, verbose, ancestors);
}

}  // namespace tornvale

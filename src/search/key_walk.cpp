#include "search/key_walk.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "output/output.h"
#include "native/link_probe.h"
#include "native/nt_api.h"
#include "search/ascii_case.h"
#include "search/path_forms.h"

namespace tornvale {
namespace {

constexpr DWORD kNameChars = 256;  // 255 characters and the terminating NUL

// What one walk shares between its levels. The enumeration buffers and the
// name query's buffer are used only between a key's open and its close, so
// one set serves every level and each level's frame stays small.
struct Walk {
  DWORD verbose = 0;
  // The real names of the keys that the walk is inside, from the top down. A
  // link whose probe was refused is opened through the registry API, which
  // follows it; if that lands on one of these keys, listing it again would
  // never end.
  std::vector<std::u16string> ancestors;
  char16_t name[kNameChars];
  char16_t className[kNameChars];
  std::vector<unsigned char> nameInfo = std::vector<unsigned char>(1024);
};

// The key's full name as the registry knows it, whatever path reached it.
// Empty when the platform does not say.
std::u16string RealKeyName(HKEY key, std::vector<unsigned char>& buffer) {
  constexpr ULONG kNameOffset = 4;  // KEY_NAME_INFORMATION: NameLength, then Name
  ULONG needed = 0;
  NTSTATUS status = NtApi.NtQueryKey(key, KeyNameInformation, buffer.data(),
                                     static_cast<ULONG>(buffer.size()), &needed);
  if ((status == STATUS_BUFFER_OVERFLOW || status == STATUS_BUFFER_TOO_SMALL) &&
      needed > buffer.size()) {
    buffer.resize(needed);
    status = NtApi.NtQueryKey(key, KeyNameInformation, buffer.data(), needed, &needed);
  }
  if (status != STATUS_SUCCESS) return {};
  const ULONG size = static_cast<ULONG>(buffer.size());
  ULONG nameBytes = 0;
  std::memcpy(&nameBytes, buffer.data(), sizeof(nameBytes));
  nameBytes = std::min<ULONG>(nameBytes, size - kNameOffset);
  std::u16string name(nameBytes / sizeof(char16_t), u'\0');
  std::memcpy(name.data(), buffer.data() + kNameOffset, name.size() * sizeof(char16_t));
  return name;
}

// A hive's own key is named by its NT root, without asking: some registries
// hand back the predefined handle for it, which no name query answers.
std::u16string KeyNameOf(HKEY key, const HivePath& forms, Walk& walk) {
  if (!forms.relativePath.empty()) return RealKeyName(key, walk.nameInfo);
  const std::size_t end = forms.ntPath.find_last_not_of(u'\\');
  return forms.ntPath.substr(0, end + 1);
}

// Key names compare without regard to letter case; an NT root spelled by
// the tool and the same root as the registry names it are one key.
bool IsInside(const std::vector<std::u16string>& ancestors, const std::u16string& name) {
  if (name.empty()) return false;
  return std::any_of(ancestors.begin(), ancestors.end(), [&name](const std::u16string& ancestor) {
    return EqualsIgnoringAsciiCase(ancestor, name);
  });
}

void PrintErrorLine(const HivePath& forms) {
  PrintWide(u"\"%s\"\t[error while querying]\n", forms.displayPath.c_str());
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
      PrintErrorLine(forms);
      break;
    case NotALink:
      break;
  }
}

DWORD SearchKey(const std::u16string& path, Walk& walk) {
  HivePath forms;
  if (!SplitHivePath(path, forms)) return ERROR_INVALID_PARAMETER;

  std::u16string target;
  const LinkProbeResult probe = QueryLinkTarget(forms.ntPath, target);
  PrintProbeLine(probe, forms, walk.verbose, target);
  if (probe == LinkFound) return ERROR_SUCCESS;

  // Too deep to enter: said, not silently dropped.
  if (walk.ancestors.size() > kMaxWalkDepth) {
    if (probe != QueryError) PrintErrorLine(forms);
    return ERROR_SUCCESS;
  }

  HKEY key = nullptr;
  const LONG opened = RegOpenKeyExW(forms.hive, forms.relativePath.c_str(), 0, KEY_READ, &key);
  if (opened != ERROR_SUCCESS || key == nullptr) return static_cast<DWORD>(opened);

  std::u16string realName = KeyNameOf(key, forms, walk);
  if (IsInside(walk.ancestors, realName)) {
    RegCloseKey(key);
    return ERROR_SUCCESS;
  }

  DWORD status = ERROR_SUCCESS;
  std::vector<std::u16string> subkeys;
  FILETIME lastWriteTime;
  for (DWORD index = 0;; ++index) {
    DWORD nameCount = kNameChars;
    DWORD classCount = kNameChars;
    const LONG result = RegEnumKeyExW(key, index, walk.name, &nameCount, nullptr, walk.className,
                                      &classCount, &lastWriteTime);
    if (result != ERROR_SUCCESS) {
      status = result == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : static_cast<DWORD>(result);
      break;
    }
    // The name ends at its first NUL; the count the call returns is not used.
    subkeys.emplace_back(walk.name, std::find(walk.name, walk.name + kNameChars, u'\0'));
  }
  RegCloseKey(key);

  walk.ancestors.push_back(std::move(realName));
  std::u16string childPath = forms.displayPath + u"\\";
  const std::size_t stem = childPath.size();
  for (const std::u16string& subkey : subkeys) {
    // A name that is empty up to its first NUL would name this key again.
    if (subkey.empty()) continue;
    childPath.resize(stem);
    childPath += subkey;
    SearchKey(childPath, walk);
  }
  walk.ancestors.pop_back();
  return status;
}

}  // namespace

DWORD SearchKeyForLinks(std::u16string path, DWORD verbose) {
  Walk walk;
  walk.verbose = verbose;
  return SearchKey(path, walk);
}

}  // namespace tornvale

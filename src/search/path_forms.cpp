#include "search/path_forms.h"

#include <string_view>

#include "search/ascii_case.h"

namespace tornvale {
namespace {

struct HivePrefix {
  std::u16string_view prefix;  // upper case ASCII
  std::u16string_view ntRoot;
  HKEY hive;
};

struct NtPrefix {
  std::u16string_view prefix;  // upper case
  std::u16string_view hiveWord;
};

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

bool SplitHivePath(const std::u16string& path, HivePath& forms) {
  const HivePrefix hivePrefixTable[] = {
      {u"HKLM", u"\\Registry\\Machine", HKEY_LOCAL_MACHINE},
      {u"HKEY_LOCAL_MACHINE", u"\\Registry\\Machine", HKEY_LOCAL_MACHINE},
      {u"HKU", u"\\Registry\\User", HKEY_USERS},
      {u"HKEY_USERS", u"\\Registry\\User", HKEY_USERS},
  };

  forms.displayPath = path.substr(0, path.find_last_not_of(u'\\') + 1);
  const std::u16string_view display = forms.displayPath;

  for (const HivePrefix& row : hivePrefixTable) {
    // The same test as on an upper-cased copy: only ASCII letters fold.
    if (!EqualsIgnoringAsciiCase(display.substr(0, row.prefix.size()), row.prefix)) continue;
    // The rest is cut from the untrimmed path, so a top path's trailing
    // backslashes reach the NT and relative paths.
    const std::size_t restStart = row.prefix.size();
    forms.ntPath.reserve(row.ntRoot.size() + path.size() - restStart);
    forms.ntPath.assign(row.ntRoot).append(path, restStart);
    forms.hive = row.hive;
    forms.relativePath = path.substr(std::min(path.find_first_not_of(u'\\', restStart), path.size()));
    return true;
  }
  return false;
}

std::u16string ShortenNtPath(const std::u16string& target) {
  const NtPrefix ntPrefixTable[] = {
      {u"\\REGISTRY\\MACHINE", u"HKLM"},
      {u"\\REGISTRY\\USER", u"HKU"},
  };

  const std::u16string upper = UpperCaseAscii(target);
  for (const NtPrefix& row : ntPrefixTable) {
    if (StartsWith(upper, row.prefix)) {
      return std::u16string(row.hiveWord) + target.substr(row.prefix.size());
    }
  }
  return target;
}

}  // namespace tornvale

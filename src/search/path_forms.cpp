#include "search/path_forms.h"

#include <string_view>

#include "search/ascii_case.h"

namespace tornvale {
namespace {

struct HivePrefix {
  std::u16string_view prefix;  // upper case
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

  // The rest is cut from the untrimmed path, so a top path's trailing
  // backslashes reach the NT and relative paths.
  const std::u16string untrimmed = path;
  forms.displayPath = path.substr(0, path.find_last_not_of(u'\\') + 1);
  const std::u16string upper = UpperCaseAscii(forms.displayPath);

  for (const HivePrefix& row : hivePrefixTable) {
    if (!StartsWith(upper, row.prefix)) continue;
    const std::u16string rest = untrimmed.substr(row.prefix.size());
    forms.ntPath = std::u16string(row.ntRoot) + rest;
    forms.hive = row.hive;
    forms.relativePath = rest.substr(std::min(rest.find_first_not_of(u'\\'), rest.size()));
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

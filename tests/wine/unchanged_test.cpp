// The search only reads: every key, value and last-write time of the scratch
// tree is the same after a series of runs as before. Each build checks the
// view it searches (the test is built with it and sees the same view).
#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>

#include "run_tornvale.h"

namespace {

// A text picture of the tree, keys opened as themselves (links not
// followed); keys that refuse reading are recorded with the refusal.
void Snapshot(HKEY parent, const std::wstring& path, std::wostringstream& out) {
  HKEY key = nullptr;
  const LONG opened =
      RegOpenKeyExW(parent, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &key);
  out << L"[" << path << L"] ";
  if (opened != ERROR_SUCCESS) {
    out << L"open " << opened << L"\n";
    return;
  }
  FILETIME written{};
  DWORD subkeys = 0, values = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, &written);
  out << written.dwHighDateTime << L"." << written.dwLowDateTime << L"\n";
  for (DWORD i = 0; i < values; ++i) {
    wchar_t name[16384];
    DWORD nameCount = 16384, type = 0, size = 65536;
    std::vector<BYTE> data(size);
    if (RegEnumValueW(key, i, name, &nameCount, nullptr, &type, data.data(), &size) != 0) {
      out << L"  value " << i << L" unreadable\n";
      continue;
    }
    out << L"  " << name << L" " << type << L" ";
    for (DWORD b = 0; b < size; ++b) out << std::hex << data[b] << L",";
    out << std::dec << L"\n";
  }
  std::vector<std::wstring> names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD count = 256;
    if (RegEnumKeyExW(key, i, name, &count, nullptr, nullptr, nullptr, nullptr) != 0) break;
    names.emplace_back(name, count);
  }
  RegCloseKey(key);
  for (const std::wstring& name : names) Snapshot(parent, path + L"\\" + name, out);
}

std::wstring TreeSnapshot() {
  std::wostringstream out;
  Snapshot(HKEY_LOCAL_MACHINE, L"Software\\TornvaleTest", out);
  return out.str();
}

}  // namespace

TEST(ReadOnly, RunsLeaveTheTreeUnchanged) {
  const std::wstring before = TreeSnapshot();
  ASSERT_NE(before.find(L"Walk\\B] "), std::wstring::npos) << "tree missing";
  for (const wchar_t* path :
       {L"HKLM\\Software\\TornvaleTest", L"HKLM\\Software\\TornvaleTest\\Nope"}) {
    RunTornvale({path});
    RunTornvale({path, L"-v"});
  }
  EXPECT_EQ(TreeSnapshot(), before);
}

// Builds the benchmark's scratch tree under HKLM\Software\TornvaleBench:
// a fan-out tree of plain keys with a link every so often. Prints the number
// of keys it created (links included).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

const wchar_t kRoot[] = L"Software\\TornvaleBench";
int keys = 0;
int links = 0;

bool Create(const std::wstring& path, bool link) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr,
                      link ? REG_OPTION_CREATE_LINK : 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  bool ok = true;
  if (link) {
    const std::wstring target = L"\\Registry\\Machine\\Software\\TornvaleBench\\K0";
    ok = RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK,
                        reinterpret_cast<const BYTE*>(target.data()),
                        static_cast<DWORD>(target.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
    ++links;
  }
  RegCloseKey(key);
  ++keys;
  return ok;
}

// Three levels of the given fan-out; every 64th leaf is a link.
bool Build(int fanOut) {
  for (int a = 0; a < fanOut; ++a) {
    const std::wstring la = std::wstring(kRoot) + L"\\K" + std::to_wstring(a);
    if (!Create(la, false)) return false;
    for (int b = 0; b < fanOut; ++b) {
      const std::wstring lb = la + L"\\K" + std::to_wstring(b);
      if (!Create(lb, false)) return false;
      for (int c = 0; c < fanOut; ++c) {
        const bool link = (keys % 64) == 63;
        if (!Create(lb + L"\\K" + std::to_wstring(c), link)) return false;
      }
    }
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int fanOut = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 28;
  if (!Build(fanOut)) return 1;
  std::printf("%d %d\n", keys, links);
  return 0;
}

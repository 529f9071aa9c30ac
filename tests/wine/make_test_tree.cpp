// Test-only helper: builds the scratch key trees that the Wine tests search,
// with real registry links and keys whose DACL refuses KEY_READ. Run once per
// fresh prefix, while the wineserver that holds the keys' security stays up.
//
// HKLM\Software is redirected for 32-bit programs on 64-bit Windows (and in
// Wine's 64-bit prefixes): the i686 Tornvale.exe opening
// HKLM\Software\TornvaleTest gets HKLM\Software\Wow6432Node\TornvaleTest.
// So the tree is made in both views (KEY_WOW64_64KEY, KEY_WOW64_32KEY), and
// both builds find the same keys there, plus a few keys that exist in one
// view only. HKLM\System is not redirected: its scratch tree exists once.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Where the keys of one BuildTree call go: a root below HKLM and a view.
struct Place {
  std::wstring root;
  REGSAM view;
};
Place place;

constexpr int kDeepLevels = 450;

// Link targets are native paths, which no view redirects: a link in either
// view that names \Registry\Machine\Software\... leads to the 64-bit key.
const std::wstring kNtRoot = L"\\Registry\\Machine\\Software\\TornvaleTest";
const std::wstring kNtRoot32 = L"\\Registry\\Machine\\Software\\Wow6432Node\\TornvaleTest";

bool Check(LONG result, const wchar_t* what, const std::wstring& path) {
  if (result == ERROR_SUCCESS) return true;
  std::fwprintf(stderr, L"%ls %ls failed: %ld\n", what, path.c_str(), result);
  return false;
}

// A new key; failing on an existing one keeps a rerun from mixing trees.
HKEY Create(const std::wstring& path, DWORD options) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  const std::wstring full = place.root + L"\\" + path;
  if (!Check(RegCreateKeyExW(HKEY_LOCAL_MACHINE, full.c_str(), 0, nullptr, options,
                             KEY_ALL_ACCESS | place.view, nullptr, &key, &disposition),
             L"create", full))
    return nullptr;
  if (disposition != REG_CREATED_NEW_KEY) {
    std::fwprintf(stderr, L"%ls already exists\n", full.c_str());
    RegCloseKey(key);
    return nullptr;
  }
  return key;
}

// Everyone is refused KEY_READ and allowed the rest, so the native open of
// the key itself answers STATUS_ACCESS_DENIED.
bool DenyRead(HKEY key, const std::wstring& path) {
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone))
    return false;
  alignas(DWORD) BYTE aclBuffer[256];
  auto* acl = reinterpret_cast<PACL>(aclBuffer);
  SECURITY_DESCRIPTOR descriptor;
  const bool built = InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION) &&
                     AddAccessDeniedAce(acl, ACL_REVISION, KEY_READ, everyone) &&
                     AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone) &&
                     InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                     SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
  FreeSid(everyone);
  if (!built) return false;
  return Check(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor), L"secure", path);
}

bool Key(const std::wstring& path, bool denyRead = false) {
  HKEY key = Create(path, REG_OPTION_NON_VOLATILE);
  if (key == nullptr) return false;
  const bool ok = !denyRead || DenyRead(key, path);
  RegCloseKey(key);
  return ok;
}

// The target is stored as the system stores it: UTF-16 without a
// terminating NUL.
bool Link(const std::wstring& path, const std::wstring& target, bool denyRead = false) {
  HKEY key = Create(path, REG_OPTION_CREATE_LINK);
  if (key == nullptr) return false;
  bool ok = Check(RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK,
                                 reinterpret_cast<const BYTE*>(target.data()),
                                 static_cast<DWORD>(target.size() * sizeof(wchar_t))),
                  L"set link", path);
  if (ok && denyRead) ok = DenyRead(key, path);
  RegCloseKey(key);
  return ok;
}

// Refuses KEY_READ on a key that already exists.
bool Lock(const std::wstring& path) {
  HKEY key = nullptr;
  const std::wstring full = place.root + L"\\" + path;
  if (!Check(RegOpenKeyExW(HKEY_LOCAL_MACHINE, full.c_str(), 0, WRITE_DAC | place.view, &key),
             L"open", full))
    return false;
  const bool ok = DenyRead(key, full);
  RegCloseKey(key);
  return ok;
}

// The tree both builds search with the same results. cycleRoot is the
// native path of this view's own tree, so that each view's cycle leads back
// into itself.
bool BuildTree(const std::wstring& cycleRoot) {
  const std::wstring name255(255, L'N');
  return
      // Plain keys the links point at.
      Key(L"Targets\\One") && Key(L"Targets\\Two") && Key(L"Targets\\Three") &&
      Link(L"Targets\\Three\\Inner", kNtRoot + L"\\Targets\\One") &&
      Key(L"Targets\\Three\\Plain") &&
      // Pre-order with siblings after; targets that are missing, in the
      // user hive and outside both hives.
      Key(L"Walk\\A") &&
      Link(L"Walk\\A\\C", L"\\REGISTRY\\MACHINE\\Software\\TornvaleTest\\Targets\\One") &&
      Key(L"Walk\\A\\D\\E") &&
      Link(L"Walk\\B", kNtRoot + L"\\Targets\\Two") &&
      Link(L"Walk\\Dangling", kNtRoot + L"\\Nowhere") &&
      Link(L"Walk\\OtherRoot", L"\\Registry\\A\\X") &&
      Link(L"Walk\\UserHive", L"\\REGISTRY\\USER\\.DEFAULT\\Software") &&
      // A link at the top key of a search.
      Link(L"TopLink", kNtRoot + L"\\Targets\\Two") &&
      // A refused link, searched through the followed open, and a refused
      // plain key, which the open cannot enter either.
      Link(L"Denied\\Gate", kNtRoot + L"\\Targets\\Three", true) &&
      Key(L"Denied\\Locked\\Below") &&
      Link(L"Denied\\Locked\\Below\\Hidden", kNtRoot + L"\\Targets\\One") &&
      Lock(L"Denied\\Locked") &&
      // Refused links back to an ancestor: cycles the probe cannot see.
      Link(L"Cycle\\Back", cycleRoot + L"\\Cycle", true) &&
      Link(L"Cycle\\Loop", cycleRoot + L"\\Cycle", true) &&
      Link(L"Cycle\\Mid\\Up", cycleRoot + L"\\Cycle", true) &&
      Link(L"Cycle\\Real", kNtRoot + L"\\Targets\\Two") &&
      // Names that the output must print literally or as "?".
      Link(L"Names\\100% %s %n", kNtRoot + L"\\Targets\\%d") &&
      Link(L"Names\\Caf\u00e9 \u03a9 \U0001F600", kNtRoot + L"\\Targets\\\u0416\u00fc") &&
      Key(L"Names\\" + name255) &&
      Link(L"Names\\" + name255 + L"\\Link", kNtRoot + L"\\Targets\\One") &&
      // A refused link to a key of the 64-bit view only, by its native path:
      // the followed open lands there from either view.
      Link(L"Native\\Gate", kNtRoot + L"\\Only64", true);
}

// A straight chain of `levels` keys named "d" below an existing key.
bool Chain(const std::wstring& path, int levels) {
  HKEY parent = nullptr;
  const std::wstring full = place.root + L"\\" + path;
  if (!Check(RegOpenKeyExW(HKEY_LOCAL_MACHINE, full.c_str(), 0, KEY_CREATE_SUB_KEY, &parent),
             L"open", full))
    return false;
  bool ok = true;
  for (int level = 0; ok && level < levels; ++level) {
    HKEY child = nullptr;
    ok = Check(RegCreateKeyExW(parent, L"d", 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_CREATE_SUB_KEY, nullptr, &child, nullptr),
               L"create", full + L"\\d");
    RegCloseKey(parent);
    parent = child;
  }
  if (parent != nullptr) RegCloseKey(parent);
  return ok;
}

// Five segments of 450 levels each (within the 512 levels a registry tree
// may nest), the bottom of each a refused link to the top of the next: a
// walk through them goes deeper than any single tree, and deeper than the
// walk's limit, without a cycle.
bool BuildDeepTree() {
  place = {L"System\\TornvaleDeep", 0};
  const std::wstring ntRoot = L"\\Registry\\Machine\\System\\TornvaleDeep";
  if (!Key(L"Target")) return false;
  std::wstring bottom;
  for (int segment = 0; segment < 5; ++segment) {
    const std::wstring top = L"S" + std::to_wstring(segment);
    if (!Key(top) || !Chain(top, kDeepLevels)) return false;
    bottom = top;
    for (int level = 0; level < kDeepLevels; ++level) bottom += L"\\d";
    const bool linked =
        segment < 4 ? Link(bottom + L"\\Next", ntRoot + L"\\S" + std::to_wstring(segment + 1), true)
                    : Link(bottom + L"\\End", ntRoot + L"\\Target");
    if (!linked) return false;
  }
  return true;
}

bool BuildTrees() {
  place = {L"Software\\TornvaleTest", KEY_WOW64_64KEY};
  if (!BuildTree(kNtRoot) || !Link(L"Only64\\Link", kNtRoot + L"\\Targets\\One")) return false;
  place = {L"Software\\TornvaleTest", KEY_WOW64_32KEY};
  if (!BuildTree(kNtRoot32) || !Link(L"Only32\\Link", kNtRoot + L"\\Targets\\Two")) return false;
  // Not redirected: one tree that both builds see alike.
  place = {L"System\\TornvaleTest", 0};
  return Key(L"Targets\\One") &&
         Link(L"Walk\\A\\Link", L"\\Registry\\Machine\\System\\TornvaleTest\\Targets\\One") &&
         Link(L"Walk\\B", L"\\Registry\\User\\.DEFAULT") &&
         Link(L"Walk\\Gate", L"\\Registry\\Machine\\System\\TornvaleTest\\Walk\\A", true) &&
         BuildDeepTree();
}

}  // namespace

int wmain() {
  if (!BuildTrees()) return 1;
  std::fwprintf(stdout, L"test trees built\n");
  return 0;
}

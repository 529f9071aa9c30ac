// The sample volume mounted and served through the registry calls the tool
// makes: links followed inside and across hives, the link flag deciding,
// links opened themselves, and the record sizes the probe relies on.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <vector>

#include "hive/hive_builder.h"
#include "hive/sample_volume.h"
#include "hive/temp_folder.h"
#include "offline/offline_volume.h"
#include "platform/linux/substitute.h"
#include "support/apparatus.h"

namespace tornvale::testing {
namespace {

std::u16string Ascii(const char* text) { return std::u16string(text, text + std::strlen(text)); }

// A native entry point, reached as a program reaches it.
template <typename Fn>
Fn Native(const char* name) {
  return reinterpret_cast<Fn>(GetProcAddress(GetModuleHandleW(u"ntdll.dll"), name));
}

class OfflineRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSampleVolume(volume_.path());
    std::ostringstream problems;
    substitute::UseKeyStore(MountOfflineVolume(volume_.path(), problems));
    ASSERT_EQ(problems.str(), "");
  }
  void TearDown() override { apparatus::Reset(); }

  // The subkeys of `path` below `hive` through RegOpenKeyExW, or the open's error.
  LONG Subkeys(HKEY hive, const std::u16string& path, std::vector<std::u16string>* names) {
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExW(hive, path.c_str(), 0, KEY_READ, &key);
    if (result != ERROR_SUCCESS) return result;
    char16_t name[256];
    for (DWORD index = 0;; ++index) {
      DWORD count = 256;
      if (RegEnumKeyExW(key, index, name, &count, nullptr, nullptr, nullptr, nullptr) != 0) break;
      names->emplace_back(name);
    }
    RegCloseKey(key);
    return ERROR_SUCCESS;
  }

  NTSTATUS OpenNative(std::u16string path, ULONG attributes, HANDLE* handle) {
    UNICODE_STRING name = {static_cast<USHORT>(path.size() * 2), 0, path.data()};
    OBJECT_ATTRIBUTES object = {sizeof(OBJECT_ATTRIBUTES), nullptr, &name, attributes, nullptr,
                                nullptr};
    *handle = nullptr;
    return Native<NtOpenKeyFn>("NtOpenKey")(handle, KEY_READ, &object);
  }

  TempFolder volume_;
};

TEST_F(OfflineRegistryTest, OpensKeysThroughFlaggedLinksOnly) {
  const std::u16string alice = Ascii(kAliceSid);
  const struct {
    HKEY hive;
    std::u16string path;
    LONG result;
    std::vector<std::u16string> subkeys;
  } cases[] = {
      {HKEY_LOCAL_MACHINE, u"", ERROR_SUCCESS, {u"SOFTWARE", u"SYSTEM"}},
      {HKEY_USERS, u"", ERROR_SUCCESS,
       {u".DEFAULT", alice, alice + u"_Classes", Ascii(kBobSid)}},
      // A link at the end of the path and in its middle, within one hive.
      {HKEY_LOCAL_MACHINE, u"system\\ControlSet001\\Hardware Profiles\\Current", ERROR_SUCCESS,
       {u"Software"}},
      {HKEY_LOCAL_MACHINE, u"SYSTEM\\ControlSet001\\Hardware Profiles\\Current\\Software",
       ERROR_SUCCESS, {u"Sample Link"}},
      // Into another hive.
      {HKEY_USERS, alice + u"\\Software\\My Classes\\CLSID", ERROR_SUCCESS,
       {u"Sample Link", u"{00000000-0000-0000-0000-000000000001}"}},
      {HKEY_LOCAL_MACHINE, u"SOFTWARE\\Sample\\100% Done\\\u03C9MEGA", ERROR_SUCCESS,
       {u"\u20AC Rates"}},
      // A REG_LINK value without the key flag redirects nothing.
      {HKEY_LOCAL_MACHINE, u"SOFTWARE\\Sample\\Unflagged", ERROR_SUCCESS, {u"Inside"}},
      {HKEY_LOCAL_MACHINE, u"SOFTWARE\\Sample\\Gone", ERROR_FILE_NOT_FOUND, {}},
      {HKEY_LOCAL_MACHINE, u"SOFTWARE\\Sample\\Loop A", ERROR_CANT_RESOLVE_FILENAME, {}},
      // Keys only a running system has.
      {HKEY_LOCAL_MACHINE, u"SYSTEM\\CurrentControlSet", ERROR_FILE_NOT_FOUND, {}},
      {HKEY_LOCAL_MACHINE, u"HARDWARE", ERROR_FILE_NOT_FOUND, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.size());
    std::vector<std::u16string> names;
    ASSERT_EQ(Subkeys(c.hive, c.path, &names), c.result);
    EXPECT_EQ(names, c.subkeys);
  }
  EXPECT_EQ(apparatus::OpenHandleCount(), 0);
}

TEST_F(OfflineRegistryTest, OpensAFinalLinkItselfAndAnswersExactRecordSizes) {
  const std::u16string target = u"\\REGISTRY\\MACHINE\\SOFTWARE\\Sample\\Nowhere";
  HANDLE key = nullptr;
  ASSERT_EQ(OpenNative(u"\\Registry\\Machine\\SOFTWARE\\Sample\\Gone",
                       OBJ_CASE_INSENSITIVE | OBJ_OPENLINK, &key),
            STATUS_SUCCESS);
  std::u16string valueName = u"SymbolicLinkValue";
  UNICODE_STRING value = {static_cast<USHORT>(valueName.size() * 2), 0, valueName.data()};
  ULONG needed = 0;
  EXPECT_EQ(Native<NtQueryValueKeyFn>("NtQueryValueKey")(key, &value, KeyValueBasicInformation, nullptr, 0, &needed),
            STATUS_BUFFER_TOO_SMALL);
  EXPECT_EQ(needed, 12 + valueName.size() * 2);
  EXPECT_EQ(Native<NtQueryValueKeyFn>("NtQueryValueKey")(key, &value, KeyValuePartialInformation, nullptr, 0, &needed),
            STATUS_BUFFER_TOO_SMALL);
  ASSERT_EQ(needed, 12 + target.size() * 2);
  std::vector<uint8_t> record(needed);
  ASSERT_EQ(Native<NtQueryValueKeyFn>("NtQueryValueKey")(key, &value, KeyValuePartialInformation, record.data(),
                                        needed, &needed),
            STATUS_SUCCESS);
  EXPECT_EQ(std::vector<uint8_t>(record.begin() + 12, record.end()), Utf16Bytes(target, false));
  Native<NtCloseFn>("NtClose")(key);

  ASSERT_EQ(OpenNative(u"\\Registry\\Machine\\SOFTWARE\\Sample", OBJ_CASE_INSENSITIVE, &key),
            STATUS_SUCCESS);
  EXPECT_EQ(Native<NtQueryValueKeyFn>("NtQueryValueKey")(key, &value, KeyValueBasicInformation, nullptr, 0, &needed),
            STATUS_OBJECT_NAME_NOT_FOUND);
  Native<NtCloseFn>("NtClose")(key);
  EXPECT_EQ(apparatus::OpenHandleCount(), 0);
}

}  // namespace
}  // namespace tornvale::testing

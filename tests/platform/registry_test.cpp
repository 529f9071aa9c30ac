// The substitute registry answers as Windows does where the tool relies on it.
#include <gtest/gtest.h>

#include <cstring>

#include "native/nt_api.h"
#include "test_support.h"

namespace tornvale {
namespace {

class RegistryTest : public SubstituteTest {
 protected:
  NTSTATUS Open(std::u16string path, ULONG attributes, HANDLE* handle) {
    UNICODE_STRING name = {static_cast<USHORT>(path.size() * 2), 0, path.data()};
    OBJECT_ATTRIBUTES object = {sizeof(OBJECT_ATTRIBUTES), nullptr, &name, attributes, nullptr,
                                nullptr};
    *handle = nullptr;
    return NtApi.NtOpenKey(handle, KEY_READ, &object);
  }

  std::u16string RealName(HANDLE handle) {
    std::vector<unsigned char> buffer(1024);
    ULONG needed = 0;
    EXPECT_EQ(NtApi.NtQueryKey(handle, KeyNameInformation, buffer.data(), 1024, &needed), 0);
    ULONG bytes = 0;
    std::memcpy(&bytes, buffer.data(), 4);
    std::u16string name(bytes / 2, u'\0');
    std::memcpy(name.data(), buffer.data() + 4, bytes);
    return name;
  }

  std::vector<std::u16string> Subkeys(HKEY key) {
    std::vector<std::u16string> names;
    char16_t name[256];
    for (DWORD index = 0;; ++index) {
      DWORD count = 256;
      if (RegEnumKeyExW(key, index, name, &count, nullptr, nullptr, nullptr, nullptr) != 0) break;
      names.emplace_back(name, count);
    }
    return names;
  }
};

TEST_F(RegistryTest, FindsKeysWithoutRegardToCaseAndListsThemSorted) {
  Key(u"\\Registry\\Machine\\Top\\beta");
  Key(u"\\Registry\\Machine\\Top\\Alpha");
  Key(u"\\Registry\\Machine\\Top\\\u00E9t\u00E9");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"tOP", 0, KEY_READ, &key), 0);
  EXPECT_EQ(Subkeys(key), (std::vector<std::u16string>{u"Alpha", u"beta", u"\u00E9t\u00E9"}));
  HANDLE handle = nullptr;
  EXPECT_EQ(Open(u"\\REGISTRY\\MACHINE\\TOP\\\u00C9T\u00C9", OBJ_CASE_INSENSITIVE, &handle), 0);
  EXPECT_TRUE(RealName(handle) == u"\\REGISTRY\\MACHINE\\Top\\\u00E9t\u00E9");
  NtApi.NtClose(handle);
  RegCloseKey(key);
  EXPECT_EQ(apparatus::OpenHandleCount(), 0);
}

TEST_F(RegistryTest, FollowsLinksInThePathAndAtItsEndUnlessAskedForTheLink) {
  Key(u"\\Registry\\Machine\\Target\\Sub");
  Link(u"\\Registry\\Machine\\Link", u"\\REGISTRY\\MACHINE\\Target");
  HANDLE handle = nullptr;
  ASSERT_EQ(Open(u"\\Registry\\Machine\\Link\\Sub", 0x140, &handle), 0);
  EXPECT_TRUE(RealName(handle) == u"\\REGISTRY\\MACHINE\\Target\\Sub");
  NtApi.NtClose(handle);
  ASSERT_EQ(Open(u"\\Registry\\Machine\\Link", 0x140, &handle), 0);
  EXPECT_TRUE(RealName(handle) == u"\\REGISTRY\\MACHINE\\Link");
  NtApi.NtClose(handle);
  ASSERT_EQ(Open(u"\\Registry\\Machine\\Link", OBJ_CASE_INSENSITIVE, &handle), 0);
  EXPECT_TRUE(RealName(handle) == u"\\REGISTRY\\MACHINE\\Target");
  NtApi.NtClose(handle);

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Link", 0, KEY_READ, &key), 0);
  EXPECT_EQ(Subkeys(key), (std::vector<std::u16string>{u"Sub"}));
  RegCloseKey(key);
}

TEST_F(RegistryTest, OpensRelativeToAnOpenKey) {
  Key(u"\\Registry\\Machine\\Target\\Sub\\Deeper");
  Link(u"\\Registry\\Machine\\Top\\Link", u"\\REGISTRY\\MACHINE\\Target");
  HKEY top = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Top", 0, KEY_READ, &top), 0);
  HKEY sub = nullptr;
  ASSERT_EQ(RegOpenKeyExW(top, u"link\\SUB", 0, KEY_READ, &sub), 0);
  EXPECT_EQ(Subkeys(sub), (std::vector<std::u16string>{u"Deeper"}));

  char16_t name[] = u"Deeper";
  UNICODE_STRING relative = {12, 0, name};
  OBJECT_ATTRIBUTES object = {sizeof(OBJECT_ATTRIBUTES), sub, &relative, 0x140, nullptr, nullptr};
  HANDLE deeper = nullptr;
  ASSERT_EQ(NtApi.NtOpenKey(&deeper, KEY_READ, &object), 0);
  EXPECT_TRUE(RealName(deeper) == u"\\REGISTRY\\MACHINE\\Target\\Sub\\Deeper");
  NtApi.NtClose(deeper);
  HKEY missing = nullptr;
  EXPECT_EQ(RegOpenKeyExW(top, u"Missing", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
  RegCloseKey(sub);
  RegCloseKey(top);
}

TEST_F(RegistryTest, LinksToNowhereAndEndlessChainsDoNotOpen) {
  Link(u"\\Registry\\Machine\\Dangling", u"\\REGISTRY\\MACHINE\\Nowhere");
  Link(u"\\Registry\\Machine\\Loop", u"\\REGISTRY\\MACHINE\\Loop");
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Dangling", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Loop", 0, KEY_READ, &key),
            ERROR_CANT_RESOLVE_FILENAME);
  EXPECT_EQ(key, nullptr);
}

TEST_F(RegistryTest, KeepsWindowsLimitsOnNamesAndDepth) {
  EXPECT_NE(Registry().CreateKey(u"\\Registry\\Machine\\" + std::u16string(255, u'x')),
            MemoryKeyStore::kNoKey);
  EXPECT_EQ(Registry().CreateKey(u"\\Registry\\Machine\\" + std::u16string(256, u'x')),
            MemoryKeyStore::kNoKey);
  std::u16string deep = u"\\Registry\\Machine";
  for (int level = 2; level <= 512; ++level) deep += u"\\k";
  EXPECT_NE(Registry().CreateKey(deep), MemoryKeyStore::kNoKey);
  EXPECT_EQ(Registry().CreateKey(deep + u"\\k"), MemoryKeyStore::kNoKey);
}

TEST_F(RegistryTest, EnumerationNeedsRoomForTheNameAndItsTerminator) {
  Key(u"\\Registry\\Machine\\T\\abcd");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"T", 0, KEY_READ, &key), 0);
  char16_t name[8];
  DWORD count = 4;
  EXPECT_EQ(RegEnumKeyExW(key, 0, name, &count, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  count = 5;
  EXPECT_EQ(RegEnumKeyExW(key, 0, name, &count, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(count, 4u);
  EXPECT_EQ(RegEnumKeyExW(key, 1, name, &count, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  RegCloseKey(key);
}

TEST_F(RegistryTest, ASizeQueryAnswersTheRecordsExactSize) {
  Link(u"\\Registry\\Machine\\L", u"\\REGISTRY\\MACHINE\\Target");  // 24 characters
  HANDLE handle = nullptr;
  ASSERT_EQ(Open(u"\\Registry\\Machine\\L", 0x140, &handle), 0);
  char16_t valueChars[] = u"SymbolicLinkValue";
  UNICODE_STRING value = {34, 0, valueChars};
  ULONG needed = 0;
  EXPECT_EQ(NtApi.NtQueryValueKey(handle, &value, KeyValueBasicInformation, nullptr, 0, &needed),
            STATUS_BUFFER_TOO_SMALL);
  EXPECT_EQ(needed, 12u + 34u);
  EXPECT_EQ(NtApi.NtQueryValueKey(handle, &value, KeyValuePartialInformation, nullptr, 0, &needed),
            STATUS_BUFFER_TOO_SMALL);
  EXPECT_EQ(needed, 12u + 48u);
  std::vector<unsigned char> record(needed - 1);
  EXPECT_EQ(NtApi.NtQueryValueKey(handle, &value, KeyValuePartialInformation, record.data(),
                                  needed - 1, &needed),
            STATUS_BUFFER_OVERFLOW);
  NtApi.NtClose(handle);
}

}  // namespace
}  // namespace tornvale

// The key store over hive files, asked directly: names, order, links,
// values, mount points, a key of many subkeys and damaged hives.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "hive/hive_builder.h"
#include "hive/temp_folder.h"
#include "offline/hive_key_store.h"

namespace tornvale::testing {
namespace {

constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegLink = 6;

class HiveKeyStoreTest : public ::testing::Test {
 protected:
  // Mounts the hive written so far as \REGISTRY\MACHINE\TEST.
  void Mount() {
    std::string reason;
    auto file = HiveFile::Open(file_, &reason);
    ASSERT_NE(file, nullptr) << reason;
    ASSERT_TRUE(store_.Mount(HiveKeyStore::Under::kMachine, u"TEST", std::move(file)));
  }

  // The key at a path below the mounted hive's root, or a failure.
  KeyId Key(const std::vector<std::u16string>& names) {
    KeyId key = HiveKeyStore::kMachine;
    EXPECT_TRUE(store_.FindSubkey(key, u"TEST", &key));
    for (const std::u16string& name : names) {
      if (!store_.FindSubkey(key, name, &key)) {
        ADD_FAILURE() << "no subkey " << name.size();
        return key;
      }
    }
    return key;
  }

  std::vector<std::u16string> Subkeys(KeyId key) {
    std::vector<std::u16string> names;
    std::u16string name;
    while (store_.SubkeyAt(key, static_cast<uint32_t>(names.size()), &name) == SubkeyResult::kFound) {
      names.push_back(name);
    }
    return names;
  }

  // Keys reached by enumerating and opening by name, as the walk does.
  std::size_t CountKeys(KeyId key, std::size_t limit) {
    std::size_t count = 1;
    for (const std::u16string& name : Subkeys(key)) {
      KeyId child = 0;
      if (!store_.FindSubkey(key, name, &child) || count >= limit) continue;
      count += CountKeys(child, limit - count);
    }
    return count;
  }

  TempFolder folder_;
  std::string file_ = folder_ / "TEST";
  HiveKeyStore store_;
};

TEST_F(HiveKeyStoreTest, FindsSubkeysWithoutRegardToCase) {
  {
    HiveBuilder hive(file_);
    for (const char* name : {"Sample", "Zo\xC3\xAB", "\xCE\xA9mega", "100% Done"}) hive.Key(name);
    hive.Save();
  }
  Mount();
  const KeyId root = Key({});
  const struct {
    std::u16string asked;
    std::u16string stored;  // empty: no such key
  } cases[] = {
      {u"sample", u"Sample"},       {u"SAMPLE", u"Sample"},     {u"ZO\u00CB", u"Zo\u00EB"},
      {u"\u03C9MEGA", u"\u03A9mega"}, {u"100% done", u"100% Done"}, {u"Sampl", u""},
      {u"Zoe", u""},                {u"", u""},
  };
  for (const auto& c : cases) {
    KeyId found = 0;
    const bool exists = store_.FindSubkey(root, c.asked, &found);
    EXPECT_EQ(exists, !c.stored.empty()) << c.asked.size();
    if (exists) {
      EXPECT_EQ(store_.Name(found), c.stored);
    }
  }
}

TEST_F(HiveKeyStoreTest, ListsSubkeysInStoredOrderWithNamesAsStored) {
  {
    HiveBuilder hive(file_);
    for (const char* name : {"\xCE\xA9mega", "gamma", "Beta", "Zo\xC3\xAB", "alpha"}) hive.Key(name);
    hive.Save();
  }
  Mount();
  const KeyId root = Key({});
  const std::vector<std::u16string> expected = {u"alpha", u"Beta", u"gamma", u"Zo\u00EB",
                                                u"\u03A9mega"};
  EXPECT_EQ(Subkeys(root), expected);
  std::u16string name;
  EXPECT_EQ(store_.SubkeyAt(root, 5, &name), SubkeyResult::kEnd);
  EXPECT_EQ(store_.SubkeyAt(Key({u"alpha"}), 0, &name), SubkeyResult::kEnd);
}

TEST_F(HiveKeyStoreTest, ServesMountsUnderMachineAndUserInWindowsOrder) {
  { HiveBuilder(file_).Save(); }
  for (const char16_t* name : {u"SYSTEM", u"SOFTWARE", u"SAM"}) {
    std::string reason;
    ASSERT_TRUE(store_.Mount(HiveKeyStore::Under::kMachine, name, HiveFile::Open(file_, &reason)));
  }
  for (const char16_t* name : {u"S-1-5-21-7_Classes", u"S-1-5-21-7", u".DEFAULT"}) {
    std::string reason;
    ASSERT_TRUE(store_.Mount(HiveKeyStore::Under::kUser, name, HiveFile::Open(file_, &reason)));
  }
  std::string reason;
  EXPECT_FALSE(store_.Mount(HiveKeyStore::Under::kMachine, u"system", HiveFile::Open(file_, &reason)));

  EXPECT_EQ(Subkeys(store_.Root()), (std::vector<std::u16string>{u"MACHINE", u"USER"}));
  EXPECT_EQ(Subkeys(HiveKeyStore::kMachine),
            (std::vector<std::u16string>{u"SAM", u"SOFTWARE", u"SYSTEM"}));
  EXPECT_EQ(Subkeys(HiveKeyStore::kUser),
            (std::vector<std::u16string>{u".DEFAULT", u"S-1-5-21-7", u"S-1-5-21-7_Classes"}));
  KeyId system = 0;
  ASSERT_TRUE(store_.FindSubkey(HiveKeyStore::kMachine, u"System", &system));
  EXPECT_EQ(store_.Name(system), u"SYSTEM");  // the mount's name, not the root key's
  EXPECT_EQ(store_.Name(store_.Root()), u"REGISTRY");
}

TEST_F(HiveKeyStoreTest, TellsLinksByTheKeyFlagAndServesTheirValue) {
  const std::u16string target = u"\\REGISTRY\\MACHINE\\TEST\\Plain";
  {
    HiveBuilder hive(file_);
    hive.Link("Link", target);
    hive.Value("Unflagged", "SymbolicLinkValue", kRegLink, Utf16Bytes(target, false));
    hive.Key("Plain");
    hive.Save();
  }
  Mount();
  EXPECT_TRUE(store_.IsLink(Key({u"Link"})));
  EXPECT_FALSE(store_.IsLink(Key({u"Unflagged"})));
  EXPECT_FALSE(store_.IsLink(Key({u"Plain"})));
  for (const char16_t* name : {u"Link", u"Unflagged"}) {
    StoredValue value;
    ASSERT_TRUE(store_.QueryValue(Key({name}), u"symboliclinkvalue", &value));
    EXPECT_EQ(value.type, kRegLink);
    EXPECT_EQ(value.data, Utf16Bytes(target, false));
  }
}

TEST_F(HiveKeyStoreTest, AnswersValuesByNameWithTheirTypeAndBytes) {
  {
    HiveBuilder hive(file_);
    hive.Value("Values", "Count", kRegDword, {7, 0, 0, 0});
    hive.StringValue("Values", "Text", kRegSz, u"blue");
    hive.Value("Values", "Empty", kRegLink, {});
    hive.Key("None");
    hive.Save();
  }
  Mount();
  const struct {
    std::vector<std::u16string> key;
    std::u16string name;
    bool exists;
    uint32_t type;
    std::vector<uint8_t> data;
  } cases[] = {
      {{u"Values"}, u"COUNT", true, kRegDword, {7, 0, 0, 0}},
      {{u"Values"}, u"text", true, kRegSz, Utf16Bytes(u"blue", true)},
      {{u"Values"}, u"Empty", true, kRegLink, {}},
      {{u"Values"}, u"SymbolicLinkValue", false, 0, {}},
      {{u"None"}, u"Count", false, 0, {}},
      {{}, u"Count", false, 0, {}},
  };
  for (const auto& c : cases) {
    StoredValue value;
    ASSERT_EQ(store_.QueryValue(Key(c.key), c.name, &value), c.exists) << c.name.size();
    if (!c.exists) continue;
    EXPECT_EQ(value.type, c.type);
    EXPECT_EQ(value.data, c.data);
  }
  StoredValue value;
  EXPECT_FALSE(store_.QueryValue(HiveKeyStore::kMachine, u"Count", &value));
}

TEST_F(HiveKeyStoreTest, AnswersAValueTypeOutsideTheKnownOnesAsItsNumber) {
  // Found by fuzzing: a hostile hive's "SymbolicLinkValue" of type
  // 0xFE000006, which names none of libhivex's types.
  constexpr uint32_t kHostileType = 0xFE000006u;
  const std::u16string target = u"\\REGISTRY\\MACHINE\\TEST\\Plain";
  {
    HiveBuilder hive(file_);
    hive.Link("Odd", target);
    hive.Save();
  }
  {
    hive_h* hive = hivex_open(file_.c_str(), 0);
    ASSERT_NE(hive, nullptr);
    const hive_node_h odd = hivex_node_get_child(hive, hivex_root(hive), "Odd");
    const hive_value_h value = hivex_node_get_value(hive, odd, "SymbolicLinkValue");
    hivex_close(hive);
    ASSERT_NE(value, 0u);
    constexpr std::size_t kValueType = 16;  // in the value record's cell
    PatchUint32(file_, value + kValueType, kHostileType);
  }
  Mount();
  StoredValue value;
  ASSERT_TRUE(store_.QueryValue(Key({u"Odd"}), u"SymbolicLinkValue", &value));
  EXPECT_EQ(value.type, kHostileType);
  EXPECT_EQ(value.data, Utf16Bytes(target, false));
}

TEST_F(HiveKeyStoreTest, FindsEachOfManySiblingsByName) {
  constexpr int kSiblings = 300;
  {
    HiveBuilder hive(file_);
    for (int i = 0; i < kSiblings; ++i) hive.Key("Many\\Key " + std::to_string(i));
    hive.Save();
  }
  Mount();
  const KeyId many = Key({u"Many"});
  const std::vector<std::u16string> names = Subkeys(many);
  ASSERT_EQ(names.size(), static_cast<std::size_t>(kSiblings));
  for (const std::u16string& name : names) {
    KeyId found = 0;
    std::u16string upper = name;
    for (char16_t& unit : upper) unit = (unit >= u'a' && unit <= u'z') ? unit - 0x20 : unit;
    ASSERT_TRUE(store_.FindSubkey(many, upper, &found));
    EXPECT_EQ(store_.Name(found), name);
  }
  KeyId found = 0;
  EXPECT_FALSE(store_.FindSubkey(many, u"Key 300", &found));
}

// Offsets in a saved hive, for damaging it on purpose.
struct Layout {
  std::string bytes;
  uint32_t U32(std::size_t at) const {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
    return value;
  }
  // The file offset of entry `index` in the key's subkey list (lf/lh).
  std::size_t ListEntry(hive_node_h key, std::size_t index) const {
    return 0x1000 + U32(key + 32) + 8 + 8 * index;
  }
};

TEST_F(HiveKeyStoreTest, ServesADamagedTreeWithoutCyclesOrRepeats) {
  hive_node_h p = 0, c1 = 0, q = 0, d1 = 0;
  {
    HiveBuilder hive(file_);
    p = hive.Key("P");
    c1 = hive.Key("P\\C1");
    hive.Key("P\\C2");
    hive.Key("P\\C3");
    q = hive.Key("Q");
    d1 = hive.Key("Q\\D1");
    hive.Key("Q\\D1\\E1");
    hive.Save();
  }
  const Layout layout{ReadFileBytes(file_)};
  PatchUint32(file_, layout.ListEntry(p, 1), static_cast<uint32_t>(c1 - 0x1000));  // C1 twice
  PatchUint32(file_, layout.ListEntry(p, 2), static_cast<uint32_t>(d1 - 0x1000));  // Q's child
  PatchUint32(file_, layout.ListEntry(d1, 0), static_cast<uint32_t>(q - 0x1000));  // up to Q
  Mount();
  EXPECT_EQ(Subkeys(Key({u"P"})), (std::vector<std::u16string>{u"C1"}));
  EXPECT_EQ(Subkeys(Key({u"Q"})), (std::vector<std::u16string>{u"D1"}));
  EXPECT_EQ(Subkeys(Key({u"Q", u"D1"})), std::vector<std::u16string>{});
  EXPECT_EQ(CountKeys(Key({}), 1000), 5u);  // root, P, C1, Q, D1
}

TEST_F(HiveKeyStoreTest, SurvivesBadListsAndOverlongNames) {
  hive_node_h p = 0, c1 = 0;
  {
    HiveBuilder hive(file_);
    p = hive.Key("P");
    c1 = hive.Key("Q\\C1");
    hive.Save();
  }
  PatchUint32(file_, p + 20, 0x7FFFFFF0);  // P's parent field points nowhere
  PatchUint32(file_, c1 + 76, 0xFFFF);     // C1's name runs past its cell
  PatchUint32(file_, c1 + 32, 0x20);      // and its "subkey list" is the root key
  PatchUint32(file_, c1 + 24, 1);
  Mount();
  KeyId found = 0;
  EXPECT_FALSE(store_.FindSubkey(Key({}), u"P", &found));
  const std::vector<std::u16string> names = Subkeys(Key({u"Q"}));
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].rfind(u"C1", 0), 0u);
  EXPECT_LT(names[0].size(), 256u);
  ASSERT_TRUE(store_.FindSubkey(Key({u"Q"}), names[0], &found));
  std::u16string name;
  EXPECT_EQ(store_.SubkeyAt(found, 0, &name), SubkeyResult::kFailed);
  EXPECT_FALSE(store_.FindSubkey(found, u"ROOT", &found));
}

}  // namespace
}  // namespace tornvale::testing

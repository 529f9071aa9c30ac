// Opening hive files: a readable hive opens, and each kind of unreadable
// file is refused with a reason that says what is wrong with it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "hive/hive_builder.h"
#include "hive/temp_folder.h"
#include "offline/hive_file.h"

namespace tornvale::testing {
namespace {

std::string BuiltHive(const TempFolder& folder) {
  const std::string file = folder / "hive";
  HiveBuilder hive(file);
  hive.Key("A\\B");
  hive.Save();
  return file;
}

TEST(HiveFileTest, TheWrittenEmptyHiveOpensWithARootKey) {
  TempFolder folder;
  const std::vector<uint8_t> bytes = EmptyHiveBytes();
  WriteFileBytes(folder / "empty", std::string(bytes.begin(), bytes.end()));
  std::string reason;
  auto file = HiveFile::Open(folder / "empty", &reason);
  ASSERT_NE(file, nullptr) << reason;
  EXPECT_EQ(file->KeyName(file->root()), u"ROOT");
  EXPECT_EQ(hivex_node_nr_children(file->handle(), file->root()), 0u);
  EXPECT_EQ(file->KeyFlags(file->root()) & HiveFile::kKeySymLink, 0);
}

struct Damage {
  const char* name;
  // Turns a good hive's bytes into the damaged file.
  std::string (*apply)(std::string bytes);
  const char* reason;
};

const Damage kDamages[] = {
    {"empty file", [](std::string) { return std::string(); }, "not a registry hive (empty file)"},
    {"text file", [](std::string) { return std::string("Windows Registry Editor 5.00\r\n"); },
     "not a registry hive"},
    {"cut in the base block", [](std::string b) { return b.substr(0, 2000); },
     "truncated (the base block is incomplete)"},
    {"cut in the bins", [](std::string b) { return b.substr(0, 6000); }, "truncated (hive data"},
    {"base block altered",
     [](std::string b) {
       b[0x30] = 'X';
       return b;
     },
     "corrupt (base block checksum does not match)"},
    {"bin header overwritten",
     [](std::string b) {
       b.replace(0x1000, 4, "junk");
       return b;
     },
     "corrupt (libhivex:"},
};

TEST(HiveFileTest, RefusesEachKindOfUnreadableFileWithItsReason) {
  TempFolder folder;
  const std::string good = ReadFileBytes(BuiltHive(folder));
  for (const Damage& damage : kDamages) {
    SCOPED_TRACE(damage.name);
    const std::string file = folder / "damaged";
    WriteFileBytes(file, damage.apply(good));
    std::string reason;
    EXPECT_EQ(HiveFile::Open(file, &reason), nullptr);
    EXPECT_EQ(reason.rfind(damage.reason, 0), 0u) << reason;
  }
}

TEST(HiveFileTest, AMissingFileAFolderOrAFifoIsRefused) {
  TempFolder folder;
  std::string reason;
  EXPECT_EQ(HiveFile::Open(folder / "absent", &reason), nullptr);
  EXPECT_EQ(reason, "file not found");
  EXPECT_EQ(HiveFile::Open(folder.path(), &reason), nullptr);
  EXPECT_EQ(reason, "not a regular file");
  // Nobody ever writes to it: opening it must not wait.
  const std::string fifo = folder / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(HiveFile::Open(fifo, &reason), nullptr);
  EXPECT_EQ(reason, "not a regular file");
}

TEST(HiveFileTest, DecodesStoredNamesExactly) {
  const struct {
    std::string bytes;
    bool compressed;
    std::u16string name;
  } cases[] = {
      {"Zo\xEB", true, u"Zo\u00EB"},
      {std::string("\xA9\x03m\x00", 4), false, u"\u03A9m"},
      {std::string("\x00\xD8x\x00", 4), false, std::u16string{0xD800, u'x'}},  // lone surrogate
      {std::string("a\0b", 3), false, u"a"},  // an odd last byte is no code unit
  };
  for (const auto& c : cases) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(c.bytes.data());
    EXPECT_EQ(DecodeStoredName(bytes, c.bytes.size(), c.compressed), c.name);
  }
}

}  // namespace
}  // namespace tornvale::testing

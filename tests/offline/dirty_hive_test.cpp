// Dirty hives mounted from a volume: which logs apply, what the one line on
// standard error says, and which keys the mounted hive then holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "hive/temp_folder.h"
#include "offline/base_block.h"
#include "offline/dirty_hive.h"
#include "offline/hive_log_writer.h"
#include "offline/offline_volume.h"

namespace tornvale::testing {
namespace {

constexpr char kConfig[] = "Windows/System32/config";

// The hive before the write that did not reach it, and after each of three
// writes the logs hold: a link, a value with a deep subkey, another link.
const std::vector<std::string>& States() {
  static const std::vector<std::string> states = [] {
    TempFolder scratch;
    return HiveStates(
        scratch / "hive",
        [](HiveBuilder& hive) {
          hive.StringValue("ControlSet001\\Control\\ComputerName", "ComputerName", 1, u"SAMPLE");
          hive.Link("Old Link", u"\\REGISTRY\\MACHINE\\SYSTEM\\ControlSet001");
        },
        {[](HiveBuilder& hive) { hive.Link("Logged\\First", u"\\REGISTRY\\MACHINE\\SOFTWARE\\One"); },
         [](HiveBuilder& hive) {
           hive.StringValue("Logged\\Deep\\Er\\Still", "Colour", 1, u"blue");
           hive.Link("Logged\\Deep\\Er\\Still\\Second", u"\\REGISTRY\\MACHINE\\SOFTWARE\\Two");
         },
         [](HiveBuilder& hive) {
           // Enough new data that the hive grows by bins of its own.
           for (int i = 0; i < 40; ++i) hive.Key("Logged\\Bulk\\Key " + std::to_string(i));
           hive.Link("Logged\\Third", u"\\REGISTRY\\MACHINE\\SOFTWARE\\Three");
         }});
  }();
  return states;
}

constexpr uint32_t kSequence = 100;  // the last write that reached the primary file

std::string DirtyPrimary() { return WithBaseBlock(States()[0], kSequence + 1, kSequence); }
std::string Entry(int n) { return LogEntryBytes(States()[n - 1], States()[n], kSequence + n); }

struct Mounted {
  std::string problems;
  std::unique_ptr<HiveKeyStore> store;
  bool Has(const std::vector<std::u16string>& path) const {
    KeyId key = HiveKeyStore::kMachine;
    for (const std::u16string& name : path) {
      if (!store->FindSubkey(key, name, &key)) return false;
    }
    return true;
  }
  // Which of the three logged links the mounted SYSTEM hive holds.
  std::string Links() const {
    std::string found;
    found += Has({u"SYSTEM", u"Logged", u"First"}) ? "1" : "-";
    found += Has({u"SYSTEM", u"Logged", u"Deep", u"Er", u"Still", u"Second"}) ? "2" : "-";
    found += Has({u"SYSTEM", u"Logged", u"Third"}) ? "3" : "-";
    return found;
  }
};

class DirtyHiveTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(volume_ / kConfig); }

  void Write(const std::string& name, const std::string& bytes) {
    WriteFileBytes(volume_ / kConfig + "/" + name, bytes);
  }
  Mounted Mount() {
    std::ostringstream problems;
    Mounted mounted;
    mounted.store = MountOfflineVolume(volume_.path(), problems);
    mounted.problems = problems.str();
    return mounted;
  }
  std::string Line(const std::string& text) {
    return "tornvale: " + volume_ / kConfig + "/SYSTEM: " + text + "\n";
  }

  TempFolder volume_;
};

TEST_F(DirtyHiveTest, AppliesTheLogsInSequenceOrderAcrossBothFiles) {
  const std::string missing = "hive is dirty; its logs are missing: recent changes may be absent";
  const struct {
    const char* name;
    std::vector<std::pair<std::string, std::string>> logs;  // file name, bytes
    std::string links;
    std::string line;
  } cases[] = {
      {"all entries in LOG1",
       {{"SYSTEM.LOG1", NewFormatLog(States()[0], kSequence + 1, {Entry(1), Entry(2), Entry(3)})}},
       "123", "hive is dirty; applied SYSTEM.LOG1 (3 entries)"},
      {"split over both, names in any case",
       {{"system.log1", NewFormatLog(States()[0], kSequence + 1, {Entry(1), Entry(2)})},
        {"System.Log2", NewFormatLog(States()[2], kSequence + 3, {Entry(3)})}},
       "123", "hive is dirty; applied system.log1 (2 entries), System.Log2 (1 entry)"},
      {"LOG2 holding the earlier entries",
       {{"SYSTEM.LOG1", NewFormatLog(States()[2], kSequence + 3, {Entry(3)})},
        {"SYSTEM.LOG2", NewFormatLog(States()[0], kSequence + 1, {Entry(1), Entry(2)})}},
       "123", "hive is dirty; applied SYSTEM.LOG1 (1 entry), SYSTEM.LOG2 (2 entries)"},
      {"already applied entries before the ones that count",
       {{"SYSTEM.LOG1",
         NewFormatLog(States()[0], kSequence - 1,
                      {LogEntryBytes(States()[0], States()[0], kSequence - 1),
                       LogEntryBytes(States()[0], States()[0], kSequence), Entry(1)})}},
       "1--", "hive is dirty; applied SYSTEM.LOG1 (2 entries)"},
      {"old format",
       {{"SYSTEM.LOG1", OldFormatLog(States()[0], States()[3], kSequence + 1)}}, "123",
       "hive is dirty; applied SYSTEM.LOG1 (" +
           std::to_string(BinsSize(States()[3]) / 512) + " pages)"},
      {"no logs", {}, "---", missing},
      {"a stale log",
       {{"SYSTEM.LOG1", NewFormatLog(States()[0], kSequence - 3,
                                     {LogEntryBytes(States()[0], States()[1], kSequence - 3),
                                      LogEntryBytes(States()[1], States()[2], kSequence - 2)})}},
       "---",
       "hive is dirty; its logs are unusable (SYSTEM.LOG1: older than the hive): recent changes "
       "may be absent"},
      {"an old-format log of another state of the hive",
       {{"SYSTEM.LOG1", OldFormatLog(States()[0], States()[3], kSequence + 1, 7)}}, "---",
       "hive is dirty; its logs are unusable (SYSTEM.LOG1: written for another state of the "
       "hive): recent changes may be absent"},
      {"logs that are no logs",
       {{"SYSTEM.LOG1", ""}, {"SYSTEM.LOG2", "regedit text"}}, "---",
       "hive is dirty; its logs are unusable (SYSTEM.LOG1: truncated (no base block); "
       "SYSTEM.LOG2: truncated (no base block)): recent changes may be absent"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    std::filesystem::remove_all(volume_ / kConfig);
    SetUp();
    Write("SYSTEM", DirtyPrimary());
    for (const auto& [name, bytes] : c.logs) Write(name, bytes);
    const Mounted mounted = Mount();
    EXPECT_EQ(mounted.problems, Line(c.line));
    EXPECT_EQ(mounted.Links(), c.links);
    EXPECT_TRUE(mounted.Has({u"SYSTEM", u"Old Link"}));
    EXPECT_TRUE(mounted.Has({u"SYSTEM", u"ControlSet001", u"Control", u"ComputerName"}));
  }
}

std::string Patched(std::string bytes, std::size_t at, const std::string& with) {
  return bytes.replace(at, with.size(), with);
}

std::string Le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

// A hive's file name field, as Windows fills it in every base block copy.
std::string Named(std::string hive, const char* name) {
  for (std::size_t i = 0; name[i] != 0; ++i) hive[48 + 2 * i] = name[i];
  return WithBaseBlock(hive, ReadLe32(reinterpret_cast<const uint8_t*>(hive.data()) + 4),
                       ReadLe32(reinterpret_cast<const uint8_t*>(hive.data()) + 8));
}

TEST_F(DirtyHiveTest, HostileLogsApplyUpToTheirFirstBadEntryAndAreNamed) {
  const std::string e2 = Entry(2);
  std::string manyPages = Entry(2);
  manyPages.replace(20, 4, Le32(0x10000000));
  RehashEntry(manyPages);
  std::string bigSize = Entry(2);
  bigSize.replace(4, 4, Le32(0x7FFFFE00));
  RehashEntry(bigSize);
  const std::string pastEnd = LogEntryOfPages(kSequence + 2, BinsSize(States()[2]),
                                              {{BinsSize(States()[2]), std::string(4096, 'x')}});
  const std::string pastHive = LogEntryOfPages(kSequence + 2, 0x7FFFF000,
                                               {{0x7FFF0000, std::string(4096, 'x')}});
  const std::string log = NewFormatLog(States()[0], kSequence + 1, {Entry(1), e2, Entry(3)});
  const std::string oldLog = OldFormatLog(States()[0], States()[3], kSequence + 1);
  // The bitmap grows into the vector's padding, so the pages stay put but
  // none covers the added bins.
  const uint32_t grown = BinsSize(States()[3]) + 0x10000;
  std::string oldGrown = Patched(oldLog, 40, Le32(grown));
  oldGrown = Patched(oldGrown, 508, Le32(BaseBlockChecksum(reinterpret_cast<const uint8_t*>(oldGrown.data()))));
  const std::string applied1 = "hive is dirty; applied SYSTEM.LOG1 (1 entry); SYSTEM.LOG1: entry 2: ";
  const struct {
    const char* name;
    std::string log;
    std::string links;
    std::string line;
  } cases[] = {
      {"a bad hash in the middle",
       NewFormatLog(States()[0], kSequence + 1, {Entry(1), Patched(e2, 600, "X"), Entry(3)}),
       "1--", applied1 + "hash mismatch, ignored from there on"},
      {"a bad header hash", NewFormatLog(States()[0], kSequence + 1, {Entry(1), Patched(e2, 16, "\1"), Entry(3)}),
       "1--", applied1 + "hash mismatch, ignored from there on"},
      {"cut inside an entry", log.substr(0, 512 + Entry(1).size() + 1000), "1--",
       applied1 + "truncated (the entry runs past the end of the log), ignored from there on"},
      {"an entry longer than the log",
       NewFormatLog(States()[0], kSequence + 1, {Entry(1), bigSize}), "1--",
       applied1 + "truncated (the entry runs past the end of the log), ignored from there on"},
      {"more page references than fit",
       NewFormatLog(States()[0], kSequence + 1, {Entry(1), manyPages, Entry(3)}), "1--",
       applied1 + "more page references than the entry holds, ignored from there on"},
      {"a page past the declared data size",
       NewFormatLog(States()[0], kSequence + 1, {Entry(1), pastEnd, Entry(3)}), "1--",
       applied1 + "page at " + std::to_string(BinsSize(States()[2])) +
           " lies past the hive bins data size, ignored from there on"},
      {"a page past any hive's end",
       NewFormatLog(States()[0], kSequence + 1, {Entry(1), pastHive}), "1--",
       applied1 + "hive bins data size 2147479552 beyond the pages it holds, ignored from there on"},
      {"old format, cut in its pages", oldLog.substr(0, oldLog.size() - 5000), "---",
       "hive is dirty; its logs are unusable (SYSTEM.LOG1: truncated (the dirty pages are "
       "incomplete)): recent changes may be absent"},
      {"old format, a bin header naming another place",
       Patched(oldLog, 1024 + 4, Le32(0x5000)), "---",
       "hive is dirty; its logs are unusable (SYSTEM.LOG1: dirty hive bin at 0 names offset "
       "20480): recent changes may be absent"},
      {"old format, growing the hive by bins it does not hold", oldGrown, "---",
       "hive is dirty; its logs are unusable (SYSTEM.LOG1: hive bins data size " +
           std::to_string(grown) + " beyond the pages it holds): recent changes may be absent"},
      {"another hive's log",
       NewFormatLog(States()[0], 7, {LogEntryBytes(States()[0], States()[1], 7)}), "---",
       "hive is dirty; its logs are unusable (SYSTEM.LOG1: older than the hive): recent changes "
       "may be absent"},
      {"entries that skip the hive's last write",
       NewFormatLog(States()[0], kSequence + 2, {LogEntryBytes(States()[0], States()[1], kSequence + 2)}),
       "---",
       "hive is dirty; its logs are unusable (SYSTEM.LOG1: does not continue the hive's "
       "writes): recent changes may be absent"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(volume_ / kConfig);
    SetUp();
    Write("SYSTEM", DirtyPrimary());
    Write("SYSTEM.LOG1", c.log);
    const Mounted mounted = Mount();
    EXPECT_EQ(mounted.problems, Line(c.line));
    EXPECT_EQ(mounted.Links(), c.links);
    EXPECT_TRUE(mounted.Has({u"SYSTEM", u"Old Link"}));
  }
}

// The recovered image is the hive exactly as the last applied write left
// it, under a base block of a cleanly written file.
TEST_F(DirtyHiveTest, TheRecoveredImageIsTheHiveAfterTheLastAppliedEntry) {
  const struct {
    const char* name;
    std::string log;
    int state;  // the write the image must equal
    uint32_t sequence;
  } cases[] = {
      {"all entries", NewFormatLog(States()[0], kSequence + 1, {Entry(1), Entry(2), Entry(3)}), 3,
       kSequence + 3},
      {"stopped by a bad hash",
       NewFormatLog(States()[0], kSequence + 1, {Entry(1), Patched(Entry(2), 600, "X"), Entry(3)}), 1,
       kSequence + 1},
      {"old format", OldFormatLog(States()[0], States()[3], kSequence + 1), 3, kSequence + 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Write("SYSTEM", DirtyPrimary());
    Write("SYSTEM.LOG1", c.log);
    PreparedHive hive(volume_ / kConfig + "/SYSTEM");
    ASSERT_TRUE(hive.recovered()) << hive.note();
    const std::string image = ReadFileBytes(hive.openPath());
    const std::string& expected = States()[c.state];
    const uint32_t binsSize = BinsSize(expected);
    ASSERT_EQ(image.size(), kBaseBlockSize + binsSize);
    EXPECT_TRUE(image.compare(kBaseBlockSize, binsSize, expected, kBaseBlockSize, binsSize) == 0);
    const BaseBlock base = ReadBaseBlock(reinterpret_cast<const uint8_t*>(image.data()), image.size());
    EXPECT_TRUE(base.checksumOk);
    EXPECT_FALSE(base.Dirty());
    EXPECT_EQ(base.primarySequence, c.sequence);
    EXPECT_EQ(base.binsSize, binsSize);
    EXPECT_EQ(base.fileType, 0u);
  }
}

TEST_F(DirtyHiveTest, ALogNamingAnotherHiveFileIsRefused) {
  Write("SYSTEM", Named(DirtyPrimary(), "SYSTEM"));
  Write("SYSTEM.LOG1", NewFormatLog(Named(States()[0], "SOFTWARE"), kSequence + 1, {Entry(1)}));
  const Mounted mounted = Mount();
  EXPECT_EQ(mounted.problems, Line("hive is dirty; its logs are unusable (SYSTEM.LOG1: belongs to "
                                   "another hive): recent changes may be absent"));
  EXPECT_EQ(mounted.Links(), "---");
}

TEST_F(DirtyHiveTest, ACleanHiveIgnoresItsLogsSilently) {
  Write("SYSTEM", WithBaseBlock(States()[0], kSequence, kSequence));
  Write("SYSTEM.LOG1", NewFormatLog(States()[0], kSequence, {Entry(1)}));
  const Mounted mounted = Mount();
  EXPECT_EQ(mounted.problems, "");
  EXPECT_EQ(mounted.Links(), "---");
}

TEST_F(DirtyHiveTest, ACorruptBaseBlockIsRecoveredFromTheLogsCopy) {
  // An interrupted write of the base block itself: its checksum is wrong.
  const std::string torn = Patched(DirtyPrimary(), 0x30, "X");
  Write("SYSTEM", torn);
  const Mounted without = Mount();
  EXPECT_EQ(without.problems, Line("corrupt (base block checksum does not match); its logs are "
                                   "missing; hive not mounted"));
  Write("SYSTEM.LOG1", NewFormatLog(States()[0], kSequence + 1, {Entry(1), Entry(2)}));
  const Mounted with = Mount();
  EXPECT_EQ(with.problems, Line("hive is dirty; applied SYSTEM.LOG1 (2 entries)"));
  EXPECT_EQ(with.Links(), "12-");
}

}  // namespace
}  // namespace tornvale::testing

#include "offline/hive_log_writer.h"

#include <algorithm>
#include <cstring>

#include "hive/temp_folder.h"
#include "offline/base_block.h"
#include "offline/marvin32.h"

namespace tornvale::testing {
namespace {

constexpr std::size_t kPage = 0x1000;

void Put32(std::string& bytes, std::size_t at, uint32_t value) {
  WriteLe32(reinterpret_cast<uint8_t*>(&bytes[at]), value);
}
void Put64(std::string& bytes, std::size_t at, uint64_t value) {
  Put32(bytes, at, static_cast<uint32_t>(value));
  Put32(bytes, at + 4, static_cast<uint32_t>(value >> 32));
}
const uint8_t* Bytes(const std::string& text) { return reinterpret_cast<const uint8_t*>(text.data()); }

void Reseal(std::string& block) {
  Put32(block, 508, BaseBlockChecksum(Bytes(block)));
}

std::string Pad(std::string bytes, std::size_t unit) {
  bytes.resize((bytes.size() + unit - 1) / unit * unit, '\0');
  return bytes;
}

// Offsets (hive bins relative) of `to`'s pages of `unit` bytes that differ from `from`.
std::vector<uint32_t> ChangedPages(const std::string& from, const std::string& to, std::size_t unit) {
  std::vector<uint32_t> pages;
  const std::size_t end = kBaseBlockSize + BinsSize(to);
  for (std::size_t at = kBaseBlockSize; at < end; at += unit) {
    if (at + unit > from.size() || from.compare(at, unit, to, at, unit) != 0) {
      pages.push_back(static_cast<uint32_t>(at - kBaseBlockSize));
    }
  }
  return pages;
}

}  // namespace

uint32_t BinsSize(const std::string& hive) { return ReadLe32(Bytes(hive) + 40); }

std::vector<std::string> HiveStates(const std::string& scratchFile,
                                    const std::function<void(HiveBuilder&)>& start,
                                    const std::vector<std::function<void(HiveBuilder&)>>& changes) {
  std::vector<std::string> states;
  {
    HiveBuilder hive(scratchFile);
    start(hive);
    hive.Save();
  }
  states.push_back(ReadFileBytes(scratchFile));
  for (const auto& change : changes) {
    HiveBuilder hive(scratchFile, HiveBuilder::Existing{});
    change(hive);
    hive.Save();
    states.push_back(ReadFileBytes(scratchFile));
  }
  return states;
}

std::string WithBaseBlock(std::string hive, uint32_t primary, uint32_t secondary, uint64_t timestamp) {
  Put32(hive, 4, primary);
  Put32(hive, 8, secondary);
  Put64(hive, 12, timestamp);
  Reseal(hive);
  return hive;
}

std::string LogEntryOfPages(uint32_t sequence, uint32_t binsSize,
                            const std::vector<std::pair<uint32_t, std::string>>& pages) {
  std::string entry(40, '\0');
  std::memcpy(&entry[0], "HvLE", 4);
  Put32(entry, 12, sequence);
  Put32(entry, 16, binsSize);
  Put32(entry, 20, static_cast<uint32_t>(pages.size()));
  for (const auto& page : pages) {
    std::string reference(8, '\0');
    Put32(reference, 0, page.first);
    Put32(reference, 4, static_cast<uint32_t>(page.second.size()));
    entry += reference;
  }
  for (const auto& page : pages) entry += page.second;
  entry = Pad(entry, kLogSector);
  Put32(entry, 4, static_cast<uint32_t>(entry.size()));
  RehashEntry(entry);
  return entry;
}

void RehashEntry(std::string& entry) {
  Put64(entry, 24, Marvin32(Bytes(entry) + 40, entry.size() - 40, kHiveLogSeed));
  Put64(entry, 32, Marvin32(Bytes(entry), 32, kHiveLogSeed));
}

std::string LogEntryBytes(const std::string& from, const std::string& to, uint32_t sequence) {
  std::vector<std::pair<uint32_t, std::string>> pages;
  for (uint32_t offset : ChangedPages(from, to, kPage)) {
    pages.emplace_back(offset, to.substr(kBaseBlockSize + offset, kPage));
  }
  return LogEntryOfPages(sequence, BinsSize(to), pages);
}

std::string NewFormatLog(const std::string& hive, uint32_t sequence,
                         const std::vector<std::string>& entries) {
  std::string log = WithBaseBlock(hive.substr(0, kBaseBlockSize), sequence, sequence);
  Put32(log, 28, 6);
  Reseal(log);
  log.resize(kLogSector);
  for (const std::string& entry : entries) log += entry;
  return log;
}

std::string OldFormatLog(const std::string& from, const std::string& to, uint32_t sequence,
                         uint64_t timestamp) {
  std::string log = WithBaseBlock(to.substr(0, kBaseBlockSize), sequence, sequence, timestamp);
  Put32(log, 28, 1);
  Reseal(log);
  log.resize(kLogSector);
  // Windows tracks 4 KiB pages, so each marks eight 512-byte bits.
  std::string bitmap(BinsSize(to) / kLogSector / 8, '\0');
  std::string pages;
  for (uint32_t offset : ChangedPages(from, to, kPage)) {
    bitmap[offset / kLogSector / 8] = '\xFF';
    pages += to.substr(kBaseBlockSize + offset, kPage);
  }
  log += Pad("DIRT" + bitmap, kLogSector) + pages;
  return log;
}

}  // namespace tornvale::testing

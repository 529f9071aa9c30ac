#include "offline/hive_log.h"

#include <cstring>

#include "offline/marvin32.h"

namespace tornvale {
namespace {

constexpr std::size_t kEntryHeader = 40;
constexpr std::size_t kPageReference = 8;
constexpr uint32_t kPageAlign = 512;
constexpr uint32_t kBinAlign = 0x1000;

bool GoodBinsSize(uint32_t size) { return size != 0 && size % kBinAlign == 0 && size <= kMaxBinsSize; }

std::string EntryFault(std::size_t number, const std::string& what) {
  return "entry " + std::to_string(number) + ": " + what;
}

// One "HvLE" entry at `bytes` with `room` bytes left in the log; false with
// `fault` set when it fails a check.
bool ReadEntry(const uint8_t* bytes, std::size_t room, LogEntry* entry, std::size_t* entrySize,
               std::string* fault) {
  const uint32_t size = ReadLe32(bytes + 4);
  if (size < kEntryHeader || size % kPageAlign != 0) {
    *fault = "bad entry size " + std::to_string(size);
    return false;
  }
  if (size > room) {
    *fault = "truncated (the entry runs past the end of the log)";
    return false;
  }
  if (Marvin32(bytes + kEntryHeader, size - kEntryHeader, kHiveLogSeed) != ReadLe64(bytes + 24) ||
      Marvin32(bytes, 32, kHiveLogSeed) != ReadLe64(bytes + 32)) {
    *fault = "hash mismatch";
    return false;
  }
  entry->sequence = ReadLe32(bytes + 12);
  entry->binsSize = ReadLe32(bytes + 16);
  if (!GoodBinsSize(entry->binsSize)) {
    *fault = "bad hive bins data size " + std::to_string(entry->binsSize);
    return false;
  }
  const uint32_t count = ReadLe32(bytes + 20);
  if (count > (size - kEntryHeader) / kPageReference) {
    *fault = "more page references than the entry holds";
    return false;
  }
  std::size_t data = kEntryHeader + std::size_t{count} * kPageReference;
  entry->pages.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* reference = bytes + kEntryHeader + std::size_t{i} * kPageReference;
    LogPage page{ReadLe32(reference), ReadLe32(reference + 4), nullptr};
    if (page.size == 0 || page.size % kPageAlign != 0 || page.offset % kPageAlign != 0) {
      *fault = "bad page reference";
      return false;
    }
    if (page.offset > entry->binsSize || page.size > entry->binsSize - page.offset) {
      *fault = "page at " + std::to_string(page.offset) + " lies past the hive bins data size";
      return false;
    }
    if (page.size > size - data) {
      *fault = "pages run past the end of the entry";
      return false;
    }
    page.bytes = bytes + data;
    data += page.size;
    entry->pages.push_back(page);
  }
  *entrySize = size;
  return true;
}

void ReadEntries(const uint8_t* bytes, std::size_t size, HiveLog* log) {
  std::size_t at = kLogSector;
  // Entries end where no signature follows: zeros, or the remnants of an
  // older, longer log.
  while (size - at >= kEntryHeader && std::memcmp(bytes + at, "HvLE", 4) == 0) {
    LogEntry entry;
    std::size_t entrySize = 0;
    std::string fault;
    if (!ReadEntry(bytes + at, size - at, &entry, &entrySize, &fault)) {
      log->fault = EntryFault(log->entries.size() + 1, fault);
      return;
    }
    log->entries.push_back(std::move(entry));
    at += entrySize;
  }
  if (size - at >= 4 && size - at < kEntryHeader && std::memcmp(bytes + at, "HvLE", 4) == 0) {
    log->fault = EntryFault(log->entries.size() + 1, "truncated (the entry runs past the end of the log)");
  }
}

void ReadDirtyVector(const uint8_t* bytes, std::size_t size, HiveLog* log) {
  const uint32_t binsSize = log->base.binsSize;
  if (!GoodBinsSize(binsSize)) {
    log->fault = "bad hive bins data size " + std::to_string(binsSize);
    return;
  }
  const std::size_t bitmapBytes = binsSize / kPageAlign / 8;
  const std::size_t vectorEnd = kLogSector + 4 + bitmapBytes;
  if (size < kLogSector + 4 || std::memcmp(bytes + kLogSector, "DIRT", 4) != 0) {
    log->fault = "no dirty vector";
    return;
  }
  if (size < vectorEnd) {
    log->fault = "truncated (the dirty vector is incomplete)";
    return;
  }
  const uint8_t* bitmap = bytes + kLogSector + 4;
  const std::size_t pagesStart = (vectorEnd + kLogSector - 1) / kLogSector * kLogSector;
  const std::size_t pagesRoom = size > pagesStart ? size - pagesStart : 0;
  LogEntry entry;
  entry.sequence = log->base.primarySequence;
  entry.binsSize = binsSize;
  std::size_t stored = 0;  // dirty pages so far
  const std::size_t bits = binsSize / kPageAlign;
  for (std::size_t bit = 0; bit < bits;) {
    if ((bitmap[bit / 8] & (1u << (bit % 8))) == 0) {
      ++bit;
      continue;
    }
    std::size_t run = 0;
    while (bit + run < bits && (bitmap[(bit + run) / 8] & (1u << ((bit + run) % 8))) != 0) ++run;
    if (run > pagesRoom / kPageAlign - stored) {
      log->fault = "truncated (the dirty pages are incomplete)";
      return;
    }
    const uint8_t* data = bytes + pagesStart + stored * kPageAlign;
    const auto offset = static_cast<uint32_t>(bit * kPageAlign);
    const auto length = static_cast<uint32_t>(run * kPageAlign);
    // A dirty bin's header must name the place it is written to.
    for (uint32_t in = (kBinAlign - offset % kBinAlign) % kBinAlign; in < length; in += kBinAlign) {
      if (std::memcmp(data + in, "hbin", 4) == 0 && ReadLe32(data + in + 4) != offset + in) {
        log->fault = "dirty hive bin at " + std::to_string(offset + in) + " names offset " +
                     std::to_string(ReadLe32(data + in + 4));
        return;
      }
    }
    entry.pages.push_back(LogPage{offset, length, data});
    stored += run;
    bit += run;
  }
  log->entries.push_back(std::move(entry));
}

}  // namespace

HiveLog ReadHiveLog(const uint8_t* bytes, std::size_t size) {
  HiveLog log;
  log.base = ReadBaseBlock(bytes, size);
  if (!log.base.signature) {
    log.fault = size < kLogSector ? "truncated (no base block)" : "not a transaction log";
    return log;
  }
  if (!log.base.checksumOk) {
    log.fault = "corrupt (base block checksum does not match)";
    return log;
  }
  log.baseBytes = bytes;
  if (log.base.fileType == 6) {
    log.format = LogFormat::kEntries;
    ReadEntries(bytes, size, &log);
  } else if (log.base.fileType == 1 || log.base.fileType == 2) {
    log.format = LogFormat::kDirtyVector;
    ReadDirtyVector(bytes, size, &log);
    if (!log.fault.empty()) log.format = LogFormat::kUnusable;
  } else {
    log.fault = "not a transaction log (file type " + std::to_string(log.base.fileType) + ")";
  }
  return log;
}

}  // namespace tornvale

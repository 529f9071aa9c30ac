// A hive's transaction log read from its bytes, in either format Windows
// writes: the dirty vector ("DIRT", Vista to 8) or log entries ("HvLE",
// 8.1 and later). Every size and offset is checked against the log and
// against the hive bins data size the log declares; reading stops at the
// first entry that fails a check, as Windows stops applying there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "offline/base_block.h"

namespace tornvale {

// Hives are limited to 2 GiB of hive bins; a log claiming more is bogus.
inline constexpr uint32_t kMaxBinsSize = 0x80000000u;

// Bytes to write at `offset` of the hive bins data (file offset 4096 +
// `offset`); `bytes` points into the log.
struct LogPage {
  uint32_t offset = 0;
  uint32_t size = 0;
  const uint8_t* bytes = nullptr;
};

// One write of the hive: the old format's dirty vector makes exactly one.
struct LogEntry {
  uint32_t sequence = 0;
  uint32_t binsSize = 0;
  std::vector<LogPage> pages;
};

enum class LogFormat { kUnusable, kDirtyVector, kEntries };

struct HiveLog {
  LogFormat format = LogFormat::kUnusable;
  BaseBlock base;
  const uint8_t* baseBytes = nullptr;  // the log's first sector
  // The entries in file order, up to the first one that fails a check.
  std::vector<LogEntry> entries;
  // Why reading stopped short ("entry 3: hash mismatch"); empty when it
  // reached the end of the entries.
  std::string fault;
};

// Reads a log of `size` bytes; the result points into `bytes`.
HiveLog ReadHiveLog(const uint8_t* bytes, std::size_t size);

}  // namespace tornvale

// Writes dirty hives and their transaction logs for tests: a hive taken
// through a few writes with libhivex, its primary file left at an older
// state, and the changed pages written as log entries (new format) or as a
// dirty vector (old format), as Windows writes them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "hive/hive_builder.h"

namespace tornvale::testing {

// The hive's file bytes after `start`, then after each of `changes`, each
// applied to the saved result of the one before through libhivex.
std::vector<std::string> HiveStates(const std::string& scratchFile,
                                    const std::function<void(HiveBuilder&)>& start,
                                    const std::vector<std::function<void(HiveBuilder&)>>& changes);

// `hive` with its base block's sequence numbers, last written timestamp
// and checksum rewritten.
std::string WithBaseBlock(std::string hive, uint32_t primary, uint32_t secondary,
                          uint64_t timestamp = 1);

// One "HvLE" entry taking the hive from `from` to `to`: every 4 KiB page
// that differs, with both hashes.
std::string LogEntryBytes(const std::string& from, const std::string& to, uint32_t sequence);
// An entry of the given pages (hive bins offset, bytes) and bins size.
std::string LogEntryOfPages(uint32_t sequence, uint32_t binsSize,
                            const std::vector<std::pair<uint32_t, std::string>>& pages);
// Recomputes an entry's hashes after a test changed its header.
void RehashEntry(std::string& entry);
// A new-format log: the first sector of `hive`'s base block (file type 6,
// both sequence numbers `sequence`), then `entries`.
std::string NewFormatLog(const std::string& hive, uint32_t sequence,
                         const std::vector<std::string>& entries);
// An old-format log taking `from` to `to`: `to`'s base block marked as a
// log with `sequence` and `timestamp`, the dirty vector and the pages.
std::string OldFormatLog(const std::string& from, const std::string& to, uint32_t sequence,
                         uint64_t timestamp = 1);

// The hive bins data size a hive's base block declares.
uint32_t BinsSize(const std::string& hive);

}  // namespace tornvale::testing

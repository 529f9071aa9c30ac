// The fields of a hive's base block that decide whether the hive is dirty
// and how its transaction logs apply to it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "offline/le_bytes.h"

namespace tornvale {

inline constexpr std::size_t kBaseBlockSize = 0x1000;
// A log file holds the base block's first sector only.
inline constexpr std::size_t kLogSector = 512;

struct BaseBlock {
  bool signature = false;  // starts with "regf"
  bool checksumOk = false;
  uint32_t primarySequence = 0;
  uint32_t secondarySequence = 0;
  uint64_t timestamp = 0;
  uint32_t fileType = 0;  // 0 primary file, 1 or 2 old log, 6 new log
  uint32_t binsSize = 0;

  // Sequence numbers that differ, or a checksum that does not match, mean
  // the last write to the file did not finish.
  bool Dirty() const { return primarySequence != secondarySequence || !checksumOk; }
};

// Reads the fields from `size` bytes; fewer than one sector is no base block.
BaseBlock ReadBaseBlock(const uint8_t* bytes, std::size_t size);

// The XOR of the first 508 bytes' 32-bit words.
uint32_t BaseBlockChecksum(const uint8_t* bytes);

// Makes `block` (4096 bytes) the base block of a cleanly written primary
// file at `sequence` with `binsSize` bytes of hive bins.
void SealBaseBlock(uint8_t* block, uint32_t sequence, uint32_t binsSize);

}  // namespace tornvale

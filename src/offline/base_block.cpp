#include "offline/base_block.h"

#include <cstring>

namespace tornvale {
namespace {

constexpr std::size_t kPrimarySequence = 4;
constexpr std::size_t kSecondarySequence = 8;
constexpr std::size_t kTimestamp = 12;
constexpr std::size_t kFileType = 28;
constexpr std::size_t kBinsSize = 40;
constexpr std::size_t kChecksum = 508;

}  // namespace

uint32_t BaseBlockChecksum(const uint8_t* bytes) {
  uint32_t sum = 0;
  for (std::size_t at = 0; at < kChecksum; at += 4) sum ^= ReadLe32(bytes + at);
  return sum;
}

BaseBlock ReadBaseBlock(const uint8_t* bytes, std::size_t size) {
  BaseBlock block;
  if (size < kLogSector) return block;
  block.signature = std::memcmp(bytes, "regf", 4) == 0;
  block.checksumOk = block.signature && BaseBlockChecksum(bytes) == ReadLe32(bytes + kChecksum);
  block.primarySequence = ReadLe32(bytes + kPrimarySequence);
  block.secondarySequence = ReadLe32(bytes + kSecondarySequence);
  block.timestamp = ReadLe64(bytes + kTimestamp);
  block.fileType = ReadLe32(bytes + kFileType);
  block.binsSize = ReadLe32(bytes + kBinsSize);
  return block;
}

void SealBaseBlock(uint8_t* block, uint32_t sequence, uint32_t binsSize) {
  WriteLe32(block + kPrimarySequence, sequence);
  WriteLe32(block + kSecondarySequence, sequence);
  WriteLe32(block + kFileType, 0);
  WriteLe32(block + kBinsSize, binsSize);
  WriteLe32(block + kChecksum, BaseBlockChecksum(block));
}

}  // namespace tornvale

// Marvin32, the keyed hash that guards the entries of a hive's transaction
// logs (new format).
#pragma once

#include <cstddef>
#include <cstdint>

namespace tornvale {

// The seed Windows hashes log entries with. Its low half starts the first
// state word: hashing with the byte-swapped value matches no real log.
inline constexpr uint64_t kHiveLogSeed = 0x82EF4D887A4E55C5ull;

// The 64-bit Marvin32 result: the first state word in the low half, as the
// hash is stored (little-endian) in a log entry.
uint64_t Marvin32(const uint8_t* data, std::size_t length, uint64_t seed);

}  // namespace tornvale

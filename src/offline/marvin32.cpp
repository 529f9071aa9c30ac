#include "offline/marvin32.h"

namespace tornvale {
namespace {

uint32_t Rotl(uint32_t value, int bits) { return (value << bits) | (value >> (32 - bits)); }

void Mix(uint32_t& lo, uint32_t& hi) {
  hi ^= lo;
  lo = Rotl(lo, 20) + hi;
  hi = Rotl(hi, 9) ^ lo;
  lo = Rotl(lo, 27) + hi;
  hi = Rotl(hi, 19);
}

}  // namespace

uint64_t Marvin32(const uint8_t* data, std::size_t length, uint64_t seed) {
  uint32_t lo = static_cast<uint32_t>(seed);
  uint32_t hi = static_cast<uint32_t>(seed >> 32);
  std::size_t at = 0;
  for (; length - at >= 4; at += 4) {
    lo += static_cast<uint32_t>(data[at]) | (static_cast<uint32_t>(data[at + 1]) << 8) |
          (static_cast<uint32_t>(data[at + 2]) << 16) | (static_cast<uint32_t>(data[at + 3]) << 24);
    Mix(lo, hi);
  }
  // The last 0 to 3 bytes, followed by a 0x80 byte, make the final word.
  uint32_t last = 0x80;
  for (std::size_t i = length; i > at; --i) last = (last << 8) | data[i - 1];
  lo += last;
  Mix(lo, hi);
  Mix(lo, hi);
  return (static_cast<uint64_t>(hi) << 32) | lo;
}

}  // namespace tornvale

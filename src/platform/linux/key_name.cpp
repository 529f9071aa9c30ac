#include "platform/linux/key_name.h"

namespace tornvale {

// The letters most names use: ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic. Other code units compare exactly.
char16_t UpcaseKeyChar(char16_t unit) {
  auto minus = [unit](int offset) { return static_cast<char16_t>(unit - offset); };
  if (unit >= u'a' && unit <= u'z') return minus(0x20);
  if (unit < 0xE0) return unit;
  if (unit <= 0xFE) return unit == 0xF7 ? unit : minus(0x20);
  if (unit == 0xFF) return 0x178;
  if (unit >= 0x100 && unit <= 0x17F) {
    const bool oddPairs = (unit >= 0x139 && unit <= 0x148) || (unit >= 0x179 && unit <= 0x17E);
    if (unit == 0x131 || unit == 0x138 || unit == 0x149 || unit == 0x17F) return unit;
    return (unit % 2 == (oddPairs ? 0 : 1)) ? minus(1) : unit;
  }
  if (unit >= 0x3B1 && unit <= 0x3CB && unit != 0x3C2) return minus(0x20);
  if (unit >= 0x430 && unit <= 0x44F) return minus(0x20);
  if (unit >= 0x450 && unit <= 0x45F) return minus(0x50);
  return unit;
}

std::u16string UpcaseKeyName(std::u16string_view name) {
  std::u16string upper(name);
  for (char16_t& unit : upper) unit = UpcaseKeyChar(unit);
  return upper;
}

bool KeyNamesEqual(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  if (a == b) return true;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpcaseKeyChar(a[i]) != UpcaseKeyChar(b[i])) return false;
  }
  return true;
}

}  // namespace tornvale

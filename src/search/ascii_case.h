// Letter case as the tool compares it: only the ASCII letters are folded, and
// no locale is involved.
#pragma once

#include <string>
#include <string_view>

namespace tornvale {

inline char16_t UpperAscii(char16_t unit) {
  return (unit >= u'a' && unit <= u'z') ? static_cast<char16_t>(unit - 0x20) : unit;
}

inline std::u16string UpperCaseAscii(std::u16string_view text) {
  std::u16string upper(text);
  for (char16_t& unit : upper) unit = UpperAscii(unit);
  return upper;
}

inline bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

}  // namespace tornvale

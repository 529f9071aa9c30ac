// Key and value names compare without regard to letter case, as on Windows:
// both sides are upper-cased code unit by code unit.
#pragma once

#include <string>
#include <string_view>

namespace tornvale {

char16_t UpcaseKeyChar(char16_t unit);
std::u16string UpcaseKeyName(std::u16string_view name);
bool KeyNamesEqual(std::u16string_view a, std::u16string_view b);

}  // namespace tornvale

// Text as the registry stores it: UTF-16 code units, little-endian bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tornvale {

// The code units of `length` bytes, exactly as stored; an odd last byte is
// no code unit.
std::u16string DecodeUtf16Le(const uint8_t* bytes, std::size_t length);

// The same, up to the first NUL: how string and link values read as text.
std::u16string DecodeUtf16LeText(const uint8_t* bytes, std::size_t length);

}  // namespace tornvale

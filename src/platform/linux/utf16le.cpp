#include "platform/linux/utf16le.h"

#include <algorithm>

namespace tornvale {

std::u16string DecodeUtf16Le(const uint8_t* bytes, std::size_t length) {
  std::u16string text(length / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return text;
}

std::u16string DecodeUtf16LeText(const uint8_t* bytes, std::size_t length) {
  std::u16string text = DecodeUtf16Le(bytes, length);
  text.erase(std::find(text.begin(), text.end(), u'\0'), text.end());
  return text;
}

}  // namespace tornvale

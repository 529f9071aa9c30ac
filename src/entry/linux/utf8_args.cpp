#include "entry/linux/utf8_args.h"

#include <cstdint>

namespace tornvale {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

void AppendCodePoint(std::u16string& out, uint32_t point) {
  if (point < 0x10000) {
    out += static_cast<char16_t>(point);
    return;
  }
  point -= 0x10000;
  out += static_cast<char16_t>(0xD800 + (point >> 10));
  out += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

std::u16string Utf8ToUtf16(std::string_view bytes) {
  std::u16string out;
  std::size_t at = 0;
  while (at < bytes.size()) {
    const unsigned char lead = static_cast<unsigned char>(bytes[at]);
    std::size_t length = 0;
    uint32_t point = 0;
    uint32_t minimum = 0;
    if (lead < 0x80) {
      length = 1, point = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, point = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, point = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, point = lead & 0x07, minimum = 0x10000;
    }
    bool valid = length != 0 && at + length <= bytes.size();
    for (std::size_t i = 1; valid && i < length; ++i) {
      const unsigned char next = static_cast<unsigned char>(bytes[at + i]);
      valid = IsContinuation(next);
      point = (point << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and points past U+10FFFF are not UTF-8.
    valid = valid && point >= minimum && point <= 0x10FFFF && (point < 0xD800 || point > 0xDFFF);
    if (!valid) {
      out += kReplacement;
      ++at;
      continue;
    }
    AppendCodePoint(out, point);
    at += length;
  }
  return out;
}

}  // namespace tornvale

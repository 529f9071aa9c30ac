// Linux hands the program its arguments as bytes, normally UTF-8; the tool
// works on UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace tornvale {

// Decodes UTF-8 into UTF-16. Each byte that does not start or continue a
// well-formed sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view bytes);

}  // namespace tornvale

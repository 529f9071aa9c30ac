#include "entry/linux/utf8_args.h"

#include <gtest/gtest.h>

namespace tornvale {
namespace {

TEST(Utf8ToUtf16Test, DecodesWellFormedTextAndReplacesEachBadByte) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"HKLM\\System", u"HKLM\\System"},
      {"", u""},
      {"caf\xC3\xA9", u"caf\u00E9"},
      {"\xE2\x82\xAC", u"\u20AC"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"a\xFF" "b", u"a\uFFFDb"},
      {"\xC3", u"\uFFFD"},                       // cut short
      {"\xC0\xAF", u"\uFFFD\uFFFD"},             // overlong
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},   // a surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
      {"\xE2\x82" "A", u"\uFFFD\uFFFD" "A"},
  };
  for (const auto& [bytes, expected] : cases) {
    EXPECT_TRUE(Utf8ToUtf16(bytes) == expected) << bytes;
  }
}

}  // namespace
}  // namespace tornvale

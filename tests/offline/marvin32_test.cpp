// Marvin32 against the published test vectors (three seeds, inputs of 0 to
// 7 bytes, so every tail length is covered).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "offline/marvin32.h"

namespace tornvale {
namespace {

std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> bytes;
  for (std::size_t at = 0; at + 1 < text.size(); at += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(at, 2), nullptr, 16)));
  }
  return bytes;
}

TEST(Marvin32Test, MatchesThePublishedVectors) {
  constexpr uint64_t kSeed1 = 0x004FB61A001BDBCCull;
  constexpr uint64_t kSeed2 = 0x804FB61A001BDBCCull;
  constexpr uint64_t kSeed3 = 0x804FB61A801BDBCCull;
  const struct {
    uint64_t seed;
    const char* input;
    uint64_t hash;
  } cases[] = {
      {kSeed1, "", 0x30ED35C100CD3C7Dull},
      {kSeed1, "af", 0x48E73FC77D75DDC1ull},
      {kSeed1, "e70f", 0xB5F6E1FC485DBFF8ull},
      {kSeed1, "37f495", 0xF0B07C789B8CF7E8ull},
      {kSeed1, "8642dc59", 0x7008F2E87E9CF556ull},
      {kSeed1, "153fb79826", 0xE6C08C6DA2AFA997ull},
      {kSeed1, "0932e6246c47", 0x6F04BF1A5EA24060ull},
      {kSeed1, "ab427ea8d10fc7", 0xE11847E4F0678C41ull},
      {kSeed2, "", 0x10A9D5D3996FD65Dull},
      {kSeed2, "af", 0x68201F91960EBF91ull},
      {kSeed2, "e70f", 0x64B581631F6AB378ull},
      {kSeed2, "37f495", 0xE1F2DFA6E5131408ull},
      {kSeed2, "8642dc59", 0x36289D9654FB49F6ull},
      {kSeed2, "153fb79826", 0x0A06114B13464DBDull},
      {kSeed2, "0932e6246c47", 0xD6DD5E40AD1BC2EDull},
      {kSeed2, "ab427ea8d10fc7", 0xE203987DBA252FB3ull},
      {kSeed3, "00", 0xA37FB0DA2ECAE06Cull},
      {kSeed3, "ff", 0xFECEF370701AE054ull},
      {kSeed3, "00ff", 0xA638E75700048880ull},
      {kSeed3, "ff00", 0xBDFB46D969730E2Aull},
      {kSeed3, "ff00ff", 0x9D8577C0FE0D30BFull},
      {kSeed3, "00ff00", 0x4F9FBDDE15099497ull},
      {kSeed3, "00ff00ff", 0x24EAA279D9A529CAull},
      {kSeed3, "ff00ff00", 0xD3BEC7726B057943ull},
      {kSeed3, "ff00ff00ff", 0x920B62BBCA3E0B72ull},
      {kSeed3, "00ff00ff00", 0x1D7DDF9DFDF3C1BFull},
      {kSeed3, "00ff00ff00ff", 0xEC21276A17E821A5ull},
      {kSeed3, "ff00ff00ff00", 0x6911A53CA8C12254ull},
      {kSeed3, "ff00ff00ff00ff", 0xFDFD187B1D3CE784ull},
      {kSeed3, "00ff00ff00ff00", 0x71876F2EFB1B0EE8ull},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const std::vector<uint8_t> input = Hex(c.input);
    EXPECT_EQ(Marvin32(input.data(), input.size(), c.seed), c.hash);
  }
}

}  // namespace
}  // namespace tornvale

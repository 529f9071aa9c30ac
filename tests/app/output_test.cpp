#include "output/output.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace tornvale {
namespace {

class OutputTest : public SubstituteTest {
 protected:
  void Redirect(DWORD fileType, bool writesSucceed = true) {
    ResetOutput();
    writes_.clear();
    apparatus::CaptureStdout(fileType, [this, writesSucceed](std::string_view bytes) {
      writes_.emplace_back(bytes);
      return writesSucceed;
    });
  }
};

TEST_F(OutputTest, WritesCodeUnitsAsCLocaleBytes) {
  PrintWide(u"\"%s\" -> \"%s\"\n", u"HKLM\\caf\u00E9\u00FF", u"\u0100x\U0001F600y");
  EXPECT_EQ(Output(), "\"HKLM\\caf\xE9\xFF\" -> \"?x??y\"\r\n");
}

TEST_F(OutputTest, PrintsPercentSignsOfArgumentsLiterally) {
  PrintWide(u"\"%s\"\t[error while querying]\n", u"HKLM\\100%s %d %%");
  EXPECT_EQ(Output(), "\"HKLM\\100%s %d %%\"\t[error while querying]\r\n");
}

TEST_F(OutputTest, FormatsHexWithEightDigits) {
  PrintWide(u"%08x|%08x\n", 0xC0000022u, 0x1Au);
  EXPECT_EQ(Output(), "c0000022|0000001a\r\n");
}

TEST_F(OutputTest, WritesEveryLineFeedAsCrLfAndLeavesCarriageReturnsAlone) {
  PrintNarrow("\nA\r\nB\n\n");
  PrintWide(u"%s\n", u"x\ny\r");
  EXPECT_EQ(Output(), "\r\nA\r\r\nB\r\n\r\nx\r\ny\r\r\n");
}

TEST_F(OutputTest, AtAConsoleEachCallIsWrittenWhenItEnds) {
  Redirect(FILE_TYPE_CHAR);
  PrintNarrow("one\n");
  PrintWide(u"%s\n", u"two");
  EXPECT_EQ(writes_, (std::vector<std::string>{"one\r\n", "two\r\n"}));
}

TEST_F(OutputTest, ToAFileOrPipeWritesWhole4096ByteBlocksAndTheRestAtTheEnd) {
  for (DWORD fileType : {FILE_TYPE_DISK, FILE_TYPE_PIPE}) {
    Redirect(fileType);
    const std::string line(99, 'x');  // 101 bytes with CR LF
    for (int i = 0; i < 100; ++i) PrintNarrow((line + "\n").c_str());
    ASSERT_EQ(writes_.size(), 2u);
    EXPECT_EQ(writes_[0].size(), 4096u);
    EXPECT_EQ(writes_[1].size(), 4096u);
    FlushOutput();
    ASSERT_EQ(writes_.size(), 3u);
    EXPECT_EQ(writes_[2].size(), 100u * 101u - 8192u);
    std::string all = writes_[0] + writes_[1] + writes_[2];
    EXPECT_EQ(all.substr(0, 101), line + "\r\n");
  }
}

TEST_F(OutputTest, IgnoresFailedWritesAndGoesOn) {
  Redirect(FILE_TYPE_CHAR, /*writesSucceed=*/false);
  PrintNarrow("lost\n");
  PrintWide(u"%s\n", u"also lost");
  EXPECT_EQ(writes_, (std::vector<std::string>{"lost\r\n", "also lost\r\n"}));
}

}  // namespace
}  // namespace tornvale

// The command line as a user types it: the usage screen, the argument rules
// and the exit statuses, run as a real process under Wine. Both builds
// expect the same bytes and statuses (TopLink exists in both views).
#include <gtest/gtest.h>

#include "run_tornvale.h"
#include "usage_screen.h"

using tornvale::kUsageScreen;

namespace {

const std::string kTopLinkLine =
    "\"HKLM\\Software\\TornvaleTest\\TopLink\" -> \"HKLM\\Software\\TornvaleTest\\Targets\\Two\"\r\n";

}  // namespace

TEST(CommandLine, NoArgumentsShowUsage) { ExpectRun({}, 1, kUsageScreen); }

TEST(CommandLine, ThreeArgumentsShowUsage) {
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\TopLink", L"-v", L"-v"}, 1, kUsageScreen);
}

TEST(CommandLine, HelpWordsShowUsage) {
  for (const wchar_t* word : {L"-?", L"/?", L"-help", L"-HELP", L"-Help"}) {
    SCOPED_TRACE(std::wstring(word).size());
    ExpectRun({word}, 1, kUsageScreen);
    ExpectRun({word, L"-v"}, 1, kUsageScreen);
    ExpectRun({word, L"anything"}, 1, kUsageScreen);
  }
}

TEST(CommandLine, OptionMatchesIgnoringAsciiCase) {
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\TopLink", L"-v"}, 0, kTopLinkLine);
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\TopLink", L"-V"}, 0, kTopLinkLine);
}

TEST(CommandLine, OtherSecondArgumentsShowUsage) {
  for (const wchar_t* second : {L"/v", L"-verbose", L"-v ", L"v", L""}) {
    SCOPED_TRACE(std::wstring(second).size());
    ExpectRun({L"HKLM\\Software\\TornvaleTest\\TopLink", second}, 1, kUsageScreen);
  }
  ExpectRun({L"-v", L"HKLM\\Software\\TornvaleTest\\TopLink"}, 1, kUsageScreen);
}

TEST(CommandLine, NonHelpWordsAreSearchedAsPaths) {
  for (const wchar_t* path : {L"-v", L"-h", L"--help", L"/help", L"", L"*", L"HKCU\\Software",
                              L"\\HKLM\\Software"}) {
    SCOPED_TRACE(std::wstring(path).size());
    ExpectRun({path}, 2, "");
  }
}

TEST(CommandLine, WildcardsReachTheSearchUnexpanded) {
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\*"}, 2,
            "\"HKLM\\Software\\TornvaleTest\\*\"\t[error while querying]\r\n");
}

TEST(CommandLine, QuotesGroupAndAreRemoved) {
  const RunResult run = RunTornvaleRaw(L" \"HKLM\\Software\\TornvaleTest\"\\TopLink -v");
  EXPECT_EQ(run.status, 0u);
  EXPECT_EQ(run.out, kTopLinkLine);
}

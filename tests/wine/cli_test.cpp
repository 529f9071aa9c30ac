// The command line as a user types it: the usage screen, the argument rules
// and the exit statuses, run as a real process under Wine.
#include <gtest/gtest.h>

#include "run_tornvale.h"

namespace {

const std::string kUsage =
    "\r\nTornvale by Ambrell\r\n\r\n"
    "Syntax:\r\n"
    "=======\r\n\r\n"
    "Tornvale.exe <Reg-Path> [-v]\r\n\r\n"
    "Description:\r\n"
    "============\r\n\r\n"
    "Recursively searches the registry for links (of type REG_LINK) below a given key. Each "
    "link found is displayed with its source and target keys.\r\n\r\n"
    "The following registry hives are supported: HKLM and HKU. The option '-v' enables output "
    "of keys that could not be processed because access was denied.\r\n\r\n"
    "Example:\r\n"
    "========\r\n\r\n"
    "Tornvale.exe HKLM\\System\r\n\r\n"
    "Return codes:\r\n"
    "=============\r\n\r\n"
    "0: Successful execution\r\n"
    "1: The help screen was printed, maybe because of invalid command line arguments\r\n"
    "2: An error occured\r\n";

const std::string kTopLinkLine =
    "\"HKLM\\Software\\TornvaleTest\\TopLink\" -> \"HKLM\\Software\\TornvaleTest\\Targets\\Two\"\r\n";

void ExpectRun(const std::vector<std::wstring>& args, unsigned long status,
               const std::string& out) {
  const RunResult run = RunTornvale(args);
  EXPECT_EQ(run.status, status);
  EXPECT_EQ(run.out, out);
  EXPECT_EQ(run.err, "");
}

}  // namespace

TEST(CommandLine, NoArgumentsShowUsage) { ExpectRun({}, 1, kUsage); }

TEST(CommandLine, ThreeArgumentsShowUsage) {
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\TopLink", L"-v", L"-v"}, 1, kUsage);
}

TEST(CommandLine, HelpWordsShowUsage) {
  for (const wchar_t* word : {L"-?", L"/?", L"-help", L"-HELP", L"-Help"}) {
    SCOPED_TRACE(std::wstring(word).size());
    ExpectRun({word}, 1, kUsage);
    ExpectRun({word, L"-v"}, 1, kUsage);
    ExpectRun({word, L"anything"}, 1, kUsage);
  }
}

TEST(CommandLine, OptionMatchesIgnoringAsciiCase) {
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\TopLink", L"-v"}, 0, kTopLinkLine);
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\TopLink", L"-V"}, 0, kTopLinkLine);
}

TEST(CommandLine, OtherSecondArgumentsShowUsage) {
  for (const wchar_t* second : {L"/v", L"-verbose", L"-v ", L"v", L""}) {
    SCOPED_TRACE(std::wstring(second).size());
    ExpectRun({L"HKLM\\Software\\TornvaleTest\\TopLink", second}, 1, kUsage);
  }
  ExpectRun({L"-v", L"HKLM\\Software\\TornvaleTest\\TopLink"}, 1, kUsage);
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

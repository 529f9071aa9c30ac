// Searches of the keys every fresh Wine prefix holds, links included: they
// must run to the end with status 0 whatever Wine puts there. HKLM\System
// and HKU are not redirected: both builds expect the same of them.
#include <windows.h>

#include <gtest/gtest.h>

#include "run_tornvale.h"
#include "search_lines.h"

namespace {

std::vector<std::string> SplitLines(const std::string& out) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = out.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(out.substr(start, end - start));
  EXPECT_EQ(start, out.size()) << "output does not end with CR LF";
  return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  for (const std::string& l : lines)
    if (l == line) return true;
  return false;
}

// Every line is one of the three the search prints, and only the error
// line has a tab.
void ExpectOnlySearchLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    const bool link = line.find("\" -> \"") != std::string::npos;
    const std::string deniedEnd = "\" [access denied]";
    const bool denied = line.size() > deniedEnd.size() &&
                        line.compare(line.size() - deniedEnd.size(), deniedEnd.size(), deniedEnd) == 0;
    const bool error = line.find("\"\t[error while querying]") != std::string::npos;
    EXPECT_TRUE(line.front() == '"' && (link || denied || error)) << line;
  }
}

}  // namespace

TEST(FreshPrefix, SystemHiveHasLinksAndEndsWithZero) {
  const RunResult run = RunTornvale({L"HKLM\\System", L"-v"});
  EXPECT_EQ(run.status, 0u);
  EXPECT_EQ(run.err, "");
  const std::vector<std::string> lines = SplitLines(run.out);
  ExpectOnlySearchLines(lines);
  std::size_t links = 0;
  for (const std::string& line : lines) links += line.find("\" -> \"HKLM\\") != std::string::npos;
  EXPECT_GE(links, 1u) << run.out;
}

// The prefix is 64-bit, as the Windows most users have: the i686 build runs
// under WoW64 there.
TEST(FreshPrefix, IsA64BitPrefix) {
  wchar_t folder[MAX_PATH];
  EXPECT_NE(GetSystemWow64DirectoryW(folder, MAX_PATH), 0u) << "no syswow64: a 32-bit prefix";
  BOOL wow64 = FALSE;
  ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
  EXPECT_EQ(wow64 != FALSE, kBuild32);
}

// Wine's 64-bit prefixes link most of Wow6432Node back into the native view.
// Typed out, it is the 32-bit view for both builds: the same lines.
TEST(FreshPrefix, Wow6432NodeLinksAreReported) {
  const RunResult run = RunTornvale({L"HKLM\\Software\\Wow6432Node"});
  EXPECT_EQ(run.status, 0u);
  EXPECT_EQ(run.err, "");
  const std::vector<std::string> lines = SplitLines(run.out);
  ExpectOnlySearchLines(lines);
  EXPECT_TRUE(Contains(
      lines, "\"HKLM\\Software\\Wow6432Node\\Classes\" -> \"HKLM\\Software\\Classes\\Wow6432Node\""))
      << run.out;
}

// HKLM\Software, searched to the end with status 0 by both builds, but not
// the same keys. x86_64: the 64-bit view, with Wow6432Node as one of its
// subkeys, and Perflib's language keys, which NtOpenKey answers with the
// informational status STATUS_PREDEFINED_HANDLE: the probe counts them as
// errors and the search goes on. i686: the 32-bit view, which is exactly what
// HKLM\Software\Wow6432Node shows, and whose Perflib is a link to the
// 64-bit one, so the search does not enter it.
TEST(FreshPrefix, SoftwareIsTheViewOfTheBuild) {
  const RunResult run = RunTornvale({L"HKLM\\Software", L"-v"});
  EXPECT_EQ(run.status, 0u);
  EXPECT_EQ(run.err, "");
  const std::vector<std::string> lines = SplitLines(run.out);
  ExpectOnlySearchLines(lines);
  const RunResult wow = RunTornvale({L"HKLM\\Software\\Wow6432Node", L"-v"});
  ASSERT_EQ(wow.status, 0u);
  const std::string perflib = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Perflib";
  if (kBuild32) {
    std::string expected = wow.out;
    const std::string node = "\\Wow6432Node";
    for (std::size_t at; (at = expected.find("\"HKLM\\Software" + node)) != std::string::npos;)
      expected.erase(at + 14, node.size());
    EXPECT_EQ(run.out, expected);
    EXPECT_TRUE(Contains(lines, "\"" + perflib + "\" -> \"" + perflib + "\"")) << run.out;
  } else {
    EXPECT_NE(run.out.find(wow.out), std::string::npos) << run.out;
    EXPECT_TRUE(Contains(lines, "\"" + perflib + "\\009\"\t[error while querying]")) << run.out;
  }
}

// Typed out, Perflib\009 is the same key for both builds (the i686 build
// reaches it through its view's link to the 64-bit Perflib): the probe's
// error line, and status 2.
TEST(FreshPrefix, PerflibLanguageKeyIsAnError) {
  const std::string key = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Perflib\\009";
  ExpectRun({L"HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Perflib\\009", L"-v"}, 2,
            "\"" + key + "\"\t[error while querying]\r\n");
}

TEST(FreshPrefix, UsersHiveEndsWithZero) {
  const RunResult run = RunTornvale({L"HKU", L"-v"});
  EXPECT_EQ(run.status, 0u);
  EXPECT_EQ(run.err, "");
  ExpectOnlySearchLines(SplitLines(run.out));
}

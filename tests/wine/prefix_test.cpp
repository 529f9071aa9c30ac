// Searches of the keys every fresh Wine prefix holds, links included: they
// must run to the end with status 0 whatever Wine puts there.
#include <gtest/gtest.h>

#include "run_tornvale.h"

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

// Wine's 64-bit prefixes link most of Wow6432Node back into the native view.
TEST(FreshPrefix, Wow6432NodeLinksAreReported) {
  const RunResult run = RunTornvale({L"HKLM\\Software\\Wow6432Node"});
  if (run.status == 2 && run.out == "\"HKLM\\Software\\Wow6432Node\"\t[error while querying]\r\n")
    GTEST_SKIP() << "a 32-bit prefix has no Wow6432Node";
  EXPECT_EQ(run.status, 0u);
  EXPECT_EQ(run.err, "");
  const std::vector<std::string> lines = SplitLines(run.out);
  ExpectOnlySearchLines(lines);
  EXPECT_TRUE(Contains(
      lines, "\"HKLM\\Software\\Wow6432Node\\Classes\" -> \"HKLM\\Software\\Classes\\Wow6432Node\""))
      << run.out;
}

// Software holds Perflib's language keys, which open with an informational
// status and a predefined handle value: the probe counts them as errors, the
// search goes on and the status stays 0.
TEST(FreshPrefix, SoftwareHiveEndsWithZero) {
  const RunResult run = RunTornvale({L"HKLM\\Software", L"-v"});
  EXPECT_EQ(run.status, 0u);
  EXPECT_EQ(run.err, "");
  const std::vector<std::string> lines = SplitLines(run.out);
  ExpectOnlySearchLines(lines);
  EXPECT_TRUE(Contains(lines,
                       "\"HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Perflib\\009\"\t"
                       "[error while querying]"))
      << run.out;
}

TEST(FreshPrefix, UsersHiveEndsWithZero) {
  const RunResult run = RunTornvale({L"HKU", L"-v"});
  EXPECT_EQ(run.status, 0u);
  EXPECT_EQ(run.err, "");
  ExpectOnlySearchLines(SplitLines(run.out));
}

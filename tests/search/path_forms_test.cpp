#include "search/path_forms.h"

#include <gtest/gtest.h>

namespace tornvale {
namespace {

struct SplitCase {
  std::u16string path;
  bool accepted;
  std::u16string displayPath;
  HKEY hive;
  std::u16string ntPath;
  std::u16string relativePath;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
  *os << "path of " << c.path.size() << " characters";
}

class SplitHivePathTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitHivePathTest, GivesTheFourForms) {
  const SplitCase& c = GetParam();
  HivePath forms;
  ASSERT_EQ(SplitHivePath(c.path, forms), c.accepted);
  EXPECT_TRUE(forms.displayPath == c.displayPath);
  if (!c.accepted) return;
  EXPECT_EQ(forms.hive, c.hive);
  EXPECT_TRUE(forms.ntPath == c.ntPath);
  EXPECT_TRUE(forms.relativePath == c.relativePath);
}

const HKEY M = HKEY_LOCAL_MACHINE;
const HKEY U = HKEY_USERS;

INSTANTIATE_TEST_SUITE_P(
    Paths, SplitHivePathTest,
    ::testing::Values(
        SplitCase{u"hklm\\Software", true, u"hklm\\Software", M, u"\\Registry\\Machine\\Software", u"Software"},
        SplitCase{u"HKEY_LOCAL_MACHINE", true, u"HKEY_LOCAL_MACHINE", M, u"\\Registry\\Machine", u""},
        SplitCase{u"HKU", true, u"HKU", U, u"\\Registry\\User", u""},
        SplitCase{u"hkey_users\\S-1-5-18", true, u"hkey_users\\S-1-5-18", U, u"\\Registry\\User\\S-1-5-18", u"S-1-5-18"},
        SplitCase{u"HKLM\\System\\\\\\", true, u"HKLM\\System", M, u"\\Registry\\Machine\\System\\\\\\", u"System\\\\\\"},
        SplitCase{u"HKLM\\", true, u"HKLM", M, u"\\Registry\\Machine\\", u""},
        SplitCase{u"HKLM\\\\System", true, u"HKLM\\\\System", M, u"\\Registry\\Machine\\\\System", u"System"},
        SplitCase{u"HKLMX\\Y", true, u"HKLMX\\Y", M, u"\\Registry\\MachineX\\Y", u"X\\Y"},
        SplitCase{u"HKUSERS", true, u"HKUSERS", U, u"\\Registry\\UserSERS", u"SERS"},
        SplitCase{u"HKEY_USERSX\\Y", true, u"HKEY_USERSX\\Y", U, u"\\Registry\\UserX\\Y", u"X\\Y"},
        SplitCase{u"\\HKLM\\System", false, u"\\HKLM\\System", nullptr, u"", u""},
        SplitCase{u"", false, u"", nullptr, u"", u""},
        SplitCase{u"\\\\", false, u"", nullptr, u"", u""},
        SplitCase{u"HKCU\\Software", false, u"HKCU\\Software", nullptr, u"", u""},
        SplitCase{u"hkey_user\u017F", false, u"hkey_user\u017F", nullptr, u"", u""}));

TEST(ShortenNtPathTest, UsesTheShortHiveWordsAndKeepsTheRest) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"\\REGISTRY\\MACHINE\\SYSTEM\\Sub", u"HKLM\\SYSTEM\\Sub"},
      {u"\\Registry\\User\\X\\Software", u"HKU\\X\\Software"},
      {u"\\REGISTRY\\MACHINEX", u"HKLMX"},
      {u"\\REGISTRY\\USERS\\Y", u"HKUS\\Y"},
      {u"\\registry\\machine", u"HKLM"},
      {u"\\REGISTRY\\A\\X", u"\\REGISTRY\\A\\X"},
      {u"\\??\\C:\\x", u"\\??\\C:\\x"},
      {u"", u""},
  };
  for (const auto& [target, expected] : cases) {
    EXPECT_TRUE(ShortenNtPath(target) == expected)
        << std::string(target.begin(), target.end());
  }
}

}  // namespace
}  // namespace tornvale

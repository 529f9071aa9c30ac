// What the registry's two views change. On 64-bit Windows, and in Wine's
// 64-bit prefixes, a 32-bit program opening HKLM\Software\X gets
// HKLM\Software\Wow6432Node\X, through RegOpenKeyExW and NtOpenKey alike; a
// 64-bit program gets the key itself. The shipped i686 Tornvale.exe so
// searches the 32-bit view, the x86_64 build the 64-bit one. make_test_tree
// made Only32 in the 32-bit view only and Only64 in the 64-bit view only;
// HKLM\System is not redirected.
#include <gtest/gtest.h>

#include "run_tornvale.h"
#include "search_lines.h"

namespace {

const std::string kT = "HKLM\\Software\\TornvaleTest";
const std::string kT32 = "HKLM\\Software\\Wow6432Node\\TornvaleTest";

}  // namespace

// i686: found at HKLM\Software, where the redirection takes it. x86_64: that
// path names the 64-bit key, which does not exist.
TEST(View, TreeMadeInThe32BitViewIsFoundByThe32BitBuild) {
  if (kBuild32)
    ExpectRun({L"HKLM\\Software\\TornvaleTest\\Only32"}, 0,
              LinkLine(kT + "\\Only32\\Link", kT + "\\Targets\\Two"));
  else
    ExpectRun({L"HKLM\\Software\\TornvaleTest\\Only32"}, 2, ErrorLine(kT + "\\Only32"));
}

// i686: redirected away from it, so the key does not exist. x86_64: found.
TEST(View, KeyOnlyInThe64BitViewIsFoundByThe64BitBuildOnly) {
  if (kBuild32)
    ExpectRun({L"HKLM\\Software\\TornvaleTest\\Only64"}, 2, ErrorLine(kT + "\\Only64"));
  else
    ExpectRun({L"HKLM\\Software\\TornvaleTest\\Only64"}, 0,
              LinkLine(kT + "\\Only64\\Link", kT + "\\Targets\\One"));
}

// Wow6432Node typed out names the 32-bit view for both builds: a 32-bit
// program is not redirected a second time.
TEST(View, Wow6432NodeTypedExplicitlyIsThe32BitViewForBoth) {
  ExpectRun({L"HKLM\\Software\\Wow6432Node\\TornvaleTest\\Only32"}, 0,
            LinkLine(kT32 + "\\Only32\\Link", kT + "\\Targets\\Two"));
  ExpectRun({L"HKLM\\Software\\Wow6432Node\\TornvaleTest\\Only64"}, 2,
            ErrorLine(kT32 + "\\Only64"));
}

// Native\Gate is a refused link whose target is the native path
// \Registry\Machine\Software\TornvaleTest\Only64. Native paths are not
// redirected, so the followed open lands in the 64-bit view from either
// build, and the i686 build reports a link it cannot reach by its own path
// (see KeyOnlyInThe64BitViewIsFoundByThe64BitBuildOnly).
TEST(View, NativeLinkTargetLeadsIntoThe64BitViewForBoth) {
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\Native"}, 0,
            LinkLine(kT + "\\Native\\Gate\\Link", kT + "\\Targets\\One"));
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\Native", L"-v"}, 0,
            DeniedLine(kT + "\\Native\\Gate") +
                LinkLine(kT + "\\Native\\Gate\\Link", kT + "\\Targets\\One"));
}

// HKLM\System has one view: the same bytes and status from both builds.
TEST(View, SystemIsTheSameForBoth) {
  const std::string s = "HKLM\\System\\TornvaleTest";
  ExpectRun({L"HKLM\\System\\TornvaleTest"}, 0,
            LinkLine(s + "\\Walk\\A\\Link", s + "\\Targets\\One") +
                LinkLine(s + "\\Walk\\B", "HKU\\.DEFAULT") +
                LinkLine(s + "\\Walk\\Gate\\Link", s + "\\Targets\\One"));
  ExpectRun({L"HKLM\\System\\TornvaleTest\\Walk", L"-v"}, 0,
            LinkLine(s + "\\Walk\\A\\Link", s + "\\Targets\\One") +
                LinkLine(s + "\\Walk\\B", "HKU\\.DEFAULT") + DeniedLine(s + "\\Walk\\Gate") +
                LinkLine(s + "\\Walk\\Gate\\Link", s + "\\Targets\\One"));
}

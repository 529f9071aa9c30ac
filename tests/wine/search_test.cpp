// Searches of the scratch tree that make_test_tree built: exact lines, in
// order, and the exit status, from a real registry with real links.
//
// Both builds expect the same bytes and statuses here. The i686 build's
// HKLM\Software\TornvaleTest is the 32-bit view's copy of the tree
// (Wow6432Node), the x86_64 build's the 64-bit one; link targets are native
// paths, which are not redirected, so both print the same targets. What the
// views change is pinned in view_test.cpp.
#include <gtest/gtest.h>

#include "run_tornvale.h"
#include "search_lines.h"

namespace {

const std::string kT = "HKLM\\Software\\TornvaleTest";

const std::string kWalk = LinkLine(kT + "\\Walk\\A\\C", kT + "\\Targets\\One") +
                          LinkLine(kT + "\\Walk\\B", kT + "\\Targets\\Two") +
                          LinkLine(kT + "\\Walk\\Dangling", kT + "\\Nowhere") +
                          LinkLine(kT + "\\Walk\\OtherRoot", "\\Registry\\A\\X") +
                          LinkLine(kT + "\\Walk\\UserHive", "HKU\\.DEFAULT\\Software");

}  // namespace

TEST(Search, LinkAtTheTopKeyIsTheOnlyLine) {
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\TopLink"}, 0,
            LinkLine(kT + "\\TopLink", kT + "\\Targets\\Two"));
}

TEST(Search, TrailingBackslashesAreNotShown) {
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\TopLink\\\\"}, 0,
            LinkLine(kT + "\\TopLink", kT + "\\Targets\\Two"));
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\Walk\\"}, 0, kWalk);
}

// Pre-order, each subtree before the next sibling; targets that do not
// exist, lie in the user hive or outside both hives are shown as stored.
TEST(Search, LinksBelowInPreOrder) {
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\Walk"}, 0, kWalk);
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\Walk", L"-v"}, 0, kWalk);
}

TEST(Search, HiveWordAndCaseAreShownAsTyped) {
  ExpectRun({L"HKEY_LOCAL_MACHINE\\Software\\TornvaleTest\\Walk\\B"}, 0,
            LinkLine("HKEY_LOCAL_MACHINE\\Software\\TornvaleTest\\Walk\\B", kT + "\\Targets\\Two"));
  ExpectRun({L"hklm\\software\\tornvaletest\\walk\\b"}, 0,
            LinkLine("hklm\\software\\tornvaletest\\walk\\b", kT + "\\Targets\\Two"));
}

TEST(Search, KeyWithoutSubkeysPrintsNothing) {
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\Targets\\Two"}, 0, "");
}

TEST(Search, MissingTopKeyIsAnError) {
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\Nope"}, 2, ErrorLine(kT + "\\Nope"));
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\Nope", L"-v"}, 2, ErrorLine(kT + "\\Nope"));
}

// Gate is a link whose own DACL refuses KEY_READ: the probe is denied, and
// the registry API follows it into Targets\Three. Locked refuses both.
TEST(Search, RefusedLinkIsQuietWithoutVerbose) {
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\Denied"}, 0,
            LinkLine(kT + "\\Denied\\Gate\\Inner", kT + "\\Targets\\One"));
}

TEST(Search, RefusedLinkIsReportedWithVerbose) {
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\Denied", L"-v"}, 0,
            DeniedLine(kT + "\\Denied\\Gate") +
                LinkLine(kT + "\\Denied\\Gate\\Inner", kT + "\\Targets\\One") +
                DeniedLine(kT + "\\Denied\\Locked"));
}

TEST(Search, RefusedTopKeyThatCannotBeOpenedIsAnError) {
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\Denied\\Locked", L"-v"}, 2,
            DeniedLine(kT + "\\Denied\\Locked"));
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\Denied\\Locked"}, 2, "");
}

// Refused links back to their own ancestor: the followed open lands on a key
// the search is already inside, which ends that branch. (Each view's cycle
// links name that view's own tree.)
TEST(Search, CycleThroughRefusedLinksEnds) {
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\Cycle"}, 0,
            LinkLine(kT + "\\Cycle\\Real", kT + "\\Targets\\Two"));
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\Cycle", L"-v"}, 0,
            DeniedLine(kT + "\\Cycle\\Back") + DeniedLine(kT + "\\Cycle\\Loop") +
                DeniedLine(kT + "\\Cycle\\Mid\\Up") +
                LinkLine(kT + "\\Cycle\\Real", kT + "\\Targets\\Two"));
}

// "%" is printed literally; code units up to U+00FF are single bytes, any
// other is "?" (two for a surrogate pair); a 255-character name is searched.
TEST(Search, NamesArePrintedByteForByte) {
  const std::string n255(255, 'N');
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\Names"}, 0,
            LinkLine(kT + "\\Names\\100% %s %n", kT + "\\Targets\\%d") +
                LinkLine(kT + "\\Names\\Caf\xe9 ? ??", kT + "\\Targets\\?\xfc") +
                LinkLine(kT + "\\Names\\" + n255 + "\\Link", kT + "\\Targets\\One"));
}

TEST(Search, NamesAboveLatin1CanBeTyped) {
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\Names\\Caf\u00e9 \u03a9 \U0001F600"}, 0,
            LinkLine(kT + "\\Names\\Caf\xe9 ? ??", kT + "\\Targets\\?\xfc"));
  ExpectRun({L"HKLM\\Software\\TornvaleTest\\Names\\" + std::wstring(255, L'n')}, 0,
            LinkLine(kT + "\\Names\\" + std::string(255, 'n') + "\\Link", kT + "\\Targets\\One"));
}

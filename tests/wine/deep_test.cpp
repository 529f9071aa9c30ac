// Walks deeper than any one registry tree nests, through refused links that
// make_test_tree chained from segment to segment under HKLM\System (not
// redirected: the same bytes from both builds). Each segment S0..S4 is a
// chain of 450 keys named "d"; the bottom of S0..S3 holds "Next", a refused
// link to the next segment, which the walk enters through the followed open;
// the bottom of S4 holds "End", a link. This is the deepest recursion the
// tool makes: on the i686 build it runs on the stack Tornvale.exe reserves.
#include <gtest/gtest.h>

#include <string>

#include "run_tornvale.h"
#include "search_lines.h"

namespace {

const std::string kDeep = "HKLM\\System\\TornvaleDeep";
constexpr int kSegmentLevels = 450;
// The walk enters keys down to this many levels below the top key; a key one
// level deeper gets the error line instead of being entered.
constexpr int kMaxWalkDepth = 2048;

std::string Levels(int count) {
  std::string path;
  for (int i = 0; i < count; ++i) path += "\\d";
  return path;
}

// The path the walk shows for a key `segments` links below the top segment's
// bottom, `levels` further keys down.
std::string Below(const std::string& top, int segments, int levels) {
  std::string path = top;
  for (int i = 0; i < segments; ++i) path += Levels(kSegmentLevels) + "\\Next";
  return path + Levels(levels);
}

}  // namespace

// From S2: 1353 levels to End, well past the 512 that one tree may nest, so
// nothing below a chain of refused links is lost.
TEST(Deep, LinkBelowAChainOfRefusedLinksIsFound) {
  const std::string top = kDeep + "\\S2";
  const std::string end = Below(top, 2, kSegmentLevels) + "\\End";
  ExpectRun({L"HKLM\\System\\TornvaleDeep\\S2"}, 0, LinkLine(end, kDeep + "\\Target"));
  ExpectRun({L"HKLM\\System\\TornvaleDeep\\S2", L"-v"}, 0,
            DeniedLine(Below(top, 0, kSegmentLevels) + "\\Next") +
                DeniedLine(Below(top, 1, kSegmentLevels) + "\\Next") +
                LinkLine(end, kDeep + "\\Target"));
}

// From S0 the chain is 2254 levels deep: the key just past the limit is
// reported with the error line, not dropped silently and not entered, and
// the search still ends with status 0.
TEST(Deep, KeyPastTheWalksLimitGetsTheErrorLine) {
  const std::string top = kDeep + "\\S0";
  const int segmentDepth = kSegmentLevels + 1;  // its keys, then Next
  const int segmentsPassed = kMaxWalkDepth / segmentDepth;
  const std::string tooDeep =
      Below(top, segmentsPassed, kMaxWalkDepth + 1 - segmentsPassed * segmentDepth);
  ExpectRun({L"HKLM\\System\\TornvaleDeep\\S0"}, 0, ErrorLine(tooDeep));
  std::string denied;
  for (int i = 0; i < segmentsPassed; ++i)
    denied += DeniedLine(Below(top, i, kSegmentLevels) + "\\Next");
  ExpectRun({L"HKLM\\System\\TornvaleDeep\\S0", L"-v"}, 0, denied + ErrorLine(tooDeep));
}

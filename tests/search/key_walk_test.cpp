#include "search/key_walk.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace tornvale {
namespace {

class KeyWalkTest : public SubstituteTest {
 protected:
  void DenyProbe(std::u16string_view key) {
    faults_.denyNativeOpen = [key = std::u16string(key)](std::u16string_view name) {
      return name == key;
    };
    substitute::SetRegistryFaults(faults_);
  }

  substitute::RegistryFaults faults_;
};

TEST_F(KeyWalkTest, ATopKeyThatIsALinkGivesOneLineAndIsNotEntered) {
  Link(u"\\Registry\\Machine\\T", u"\\REGISTRY\\MACHINE\\Y");
  Key(u"\\Registry\\Machine\\Y\\Inner");
  Link(u"\\Registry\\Machine\\Y\\Inner\\L", u"\\REGISTRY\\MACHINE\\Z");
  EXPECT_EQ(SearchKeyForLinks(u"HKLM\\T\\\\", 0), 0u);
  EXPECT_EQ(Output(), "\"HKLM\\T\" -> \"HKLM\\Y\"\r\n");
}

TEST_F(KeyWalkTest, AKeyWithoutSubkeysGivesNothing) {
  Key(u"\\Registry\\Machine\\T");
  EXPECT_EQ(SearchKeyForLinks(u"HKLM\\T", 1), 0u);
  EXPECT_EQ(Output(), "");
}

TEST_F(KeyWalkTest, AMissingTopKeyGivesTheErrorLineAndTheOpensResult) {
  EXPECT_EQ(SearchKeyForLinks(u"HKLM\\Missing", 0), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Output(), "\"HKLM\\Missing\"\t[error while querying]\r\n");
}

TEST_F(KeyWalkTest, APathWithoutAHiveWordIsRejectedBeforeAnyProbe) {
  for (const char16_t* path : {u"HKCU\\Software", u"", u"-v", u"\\HKLM"}) {
    EXPECT_EQ(SearchKeyForLinks(path, 1), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  EXPECT_EQ(Output(), "");
  EXPECT_EQ(substitute::NativeCalls().open, 0);
}

TEST_F(KeyWalkTest, PrintsLinksInDepthFirstPreOrder) {
  // T has A and B; A is a plain key with the link C below it, B is a link.
  Key(u"\\Registry\\Machine\\T\\A\\Plain");
  Link(u"\\Registry\\Machine\\T\\A\\C", u"\\Registry\\User\\S-1\\Software");
  Link(u"\\Registry\\Machine\\T\\B", u"\\REGISTRY\\MACHINE\\T\\A");
  Link(u"\\Registry\\Machine\\T\\D", u"\\REGISTRY\\Other\\X");
  EXPECT_EQ(SearchKeyForLinks(u"hklm\\t", 0), 0u);
  EXPECT_EQ(Output(),
            "\"hklm\\t\\A\\C\" -> \"HKU\\S-1\\Software\"\r\n"
            "\"hklm\\t\\B\" -> \"HKLM\\T\\A\"\r\n"
            "\"hklm\\t\\D\" -> \"\\REGISTRY\\Other\\X\"\r\n");
}

TEST_F(KeyWalkTest, ARefusedProbeShowsOnlyWithVerboseAndTheKeyIsStillSearched) {
  Link(u"\\Registry\\Machine\\T\\A\\C", u"\\REGISTRY\\MACHINE\\Y");
  Link(u"\\Registry\\Machine\\T\\B", u"\\REGISTRY\\MACHINE\\Z");
  DenyProbe(u"\\REGISTRY\\MACHINE\\T\\A");
  EXPECT_EQ(SearchKeyForLinks(u"HKLM\\T", 0), 0u);
  EXPECT_EQ(SearchKeyForLinks(u"HKLM\\T", 1), 0u);
  const std::string lines =
      "\"HKLM\\T\\A\\C\" -> \"HKLM\\Y\"\r\n"
      "\"HKLM\\T\\B\" -> \"HKLM\\Z\"\r\n";
  EXPECT_EQ(Output(), lines + "\"HKLM\\T\\A\" [access denied]\r\n" + lines);
}

TEST_F(KeyWalkTest, AFailedProbeAlwaysShowsAndTheKeyIsStillSearched) {
  Link(u"\\Registry\\Machine\\T\\A\\C", u"\\REGISTRY\\MACHINE\\Y");
  faults_.beforeValueQuery = [](HANDLE, ULONG, uint64_t call, NTSTATUS* status) {
    *status = STATUS_INVALID_PARAMETER;
    return call == 2;  // the probe of T\A
  };
  substitute::SetRegistryFaults(faults_);
  EXPECT_EQ(SearchKeyForLinks(u"HKLM\\T", 0), 0u);
  EXPECT_EQ(Output(),
            "\"HKLM\\T\\A\"\t[error while querying]\r\n"
            "\"HKLM\\T\\A\\C\" -> \"HKLM\\Y\"\r\n");
}

TEST_F(KeyWalkTest, ASubkeyThatCannotBeOpenedIsSkippedAndItsSiblingsSearched) {
  Link(u"\\Registry\\Machine\\T\\A\\C", u"\\REGISTRY\\MACHINE\\Y");
  Link(u"\\Registry\\Machine\\T\\B", u"\\REGISTRY\\MACHINE\\Z");
  faults_.denyRegOpen = [](std::u16string_view key) { return key == u"\\REGISTRY\\MACHINE\\T\\A"; };
  substitute::SetRegistryFaults(faults_);
  EXPECT_EQ(SearchKeyForLinks(u"HKLM\\T", 1), 0u);
  EXPECT_EQ(Output(), "\"HKLM\\T\\B\" -> \"HKLM\\Z\"\r\n");
  // The top key itself: its open's result is the status.
  EXPECT_EQ(SearchKeyForLinks(u"HKLM\\T\\A", 1), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(KeyWalkTest, AFailedEnumerationKeepsTheNamesListedBeforeIt) {
  for (const char16_t* name : {u"K0", u"K1", u"K2", u"K3", u"K4"}) {
    Link(u"\\Registry\\Machine\\T\\" + std::u16string(name), u"\\REGISTRY\\MACHINE\\Y");
  }
  faults_.failEnum = [](std::u16string_view, DWORD index, LONG* code) {
    *code = ERROR_MORE_DATA;
    return index == 3;
  };
  substitute::SetRegistryFaults(faults_);
  EXPECT_EQ(SearchKeyForLinks(u"HKLM\\T", 0), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(Output(),
            "\"HKLM\\T\\K0\" -> \"HKLM\\Y\"\r\n"
            "\"HKLM\\T\\K1\" -> \"HKLM\\Y\"\r\n"
            "\"HKLM\\T\\K2\" -> \"HKLM\\Y\"\r\n");
}

TEST_F(KeyWalkTest, NamesKeepTheirCharactersAndPercentSigns) {
  const std::u16string longName(255, u'n');
  Link(u"\\Registry\\Machine\\T\\" + longName + u"\\L", u"\\REGISTRY\\MACHINE\\Y");
  Link(u"\\Registry\\Machine\\T\\100%s\\%d", u"\\REGISTRY\\MACHINE\\%s");
  Link(u"\\Registry\\Machine\\T\\caf\u00E9\\\u0416", u"\\REGISTRY\\MACHINE\\\u00FF\u0100");
  EXPECT_EQ(SearchKeyForLinks(u"HKLM\\T", 0), 0u);
  EXPECT_EQ(Output(),
            "\"HKLM\\T\\100%s\\%d\" -> \"HKLM\\%s\"\r\n"
            "\"HKLM\\T\\caf\xE9\\?\" -> \"HKLM\\\xFF?\"\r\n"
            "\"HKLM\\T\\" + std::string(255, 'n') + "\\L\" -> \"HKLM\\Y\"\r\n");
}

TEST_F(KeyWalkTest, TrailingBackslashesOfTheTopPathAreNotRepeatedBelowIt) {
  Link(u"\\Registry\\Machine\\System\\L", u"\\REGISTRY\\MACHINE\\Y");
  faults_.denyNativeOpen = [](std::u16string_view key) { return key == u"\\REGISTRY\\MACHINE\\System"; };
  substitute::SetRegistryFaults(faults_);
  EXPECT_EQ(SearchKeyForLinks(u"HKLM\\System\\", 1), 0u);
  EXPECT_EQ(Output(),
            "\"HKLM\\System\" [access denied]\r\n"
            "\"HKLM\\System\\L\" -> \"HKLM\\Y\"\r\n");
}

TEST_F(KeyWalkTest, ANameThatIsEmptyUpToItsFirstNulIsSkipped) {
  const KeyId top = Key(u"\\Registry\\Machine\\T");
  Registry().AddSubkey(top, std::u16string(u"\0hidden", 7));
  Link(u"\\Registry\\Machine\\T\\Z", u"\\REGISTRY\\MACHINE\\Y");
  EXPECT_EQ(SearchKeyForLinks(u"HKLM\\T", 1), 0u);
  EXPECT_EQ(Output(), "\"HKLM\\T\\Z\" -> \"HKLM\\Y\"\r\n");
}

TEST_F(KeyWalkTest, ARefusedLinkIsSearchedThroughTheKeyItLeadsTo) {
  Link(u"\\Registry\\Machine\\T\\L", u"\\REGISTRY\\MACHINE\\Elsewhere");
  Link(u"\\Registry\\Machine\\Elsewhere\\Inner", u"\\REGISTRY\\MACHINE\\Y");
  DenyProbe(u"\\REGISTRY\\MACHINE\\T\\L");
  EXPECT_EQ(SearchKeyForLinks(u"HKLM\\T", 1), 0u);
  EXPECT_EQ(Output(),
            "\"HKLM\\T\\L\" [access denied]\r\n"
            "\"HKLM\\T\\L\\Inner\" -> \"HKLM\\Y\"\r\n");
}

TEST_F(KeyWalkTest, ACycleThroughRefusedLinksEndsAndTheRestIsSearched) {
  // Two refused links in T lead back to T itself; A sits above, B after it.
  Link(u"\\Registry\\Machine\\A\\T\\Back1", u"\\REGISTRY\\MACHINE\\A\\T");
  Link(u"\\Registry\\Machine\\A\\T\\Back2", u"\\REGISTRY\\MACHINE\\A");
  Link(u"\\Registry\\Machine\\A\\U", u"\\REGISTRY\\MACHINE\\Y");
  faults_.denyNativeOpen = [](std::u16string_view key) {
    return key.substr(0, 23) == u"\\REGISTRY\\MACHINE\\A\\T\\B";
  };
  substitute::SetRegistryFaults(faults_);
  EXPECT_EQ(SearchKeyForLinks(u"HKLM\\A", 1), 0u);
  EXPECT_EQ(Output(),
            "\"HKLM\\A\\T\\Back1\" [access denied]\r\n"
            "\"HKLM\\A\\T\\Back2\" [access denied]\r\n"
            "\"HKLM\\A\\U\" -> \"HKLM\\Y\"\r\n");
}

}  // namespace
}  // namespace tornvale

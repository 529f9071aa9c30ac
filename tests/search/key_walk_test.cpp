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
    apparatus::SetFaults(faults_);
  }

  apparatus::Faults faults_;
};

class DeepWalkTest : public KeyWalkTest {
 protected:
  // A chain of refused links, each into its own tree `levels` deep whose
  // bottom holds the next refused link; the last tree ends in the link End.
  // No key of it lies on a cycle. Returns the names below T down to End.
  std::vector<std::u16string> BuildRefusedChain(int trees, int levels) {
    std::vector<std::u16string> names;
    std::u16string at = u"\\Registry\\Machine\\T";
    for (int tree = 0; tree < trees; ++tree) {
      const std::u16string root = u"\\REGISTRY\\MACHINE\\D" + std::u16string(1, u'a' + tree);
      Link(at + u"\\Refused", root);
      names.push_back(u"Refused");
      at = root;
      for (int level = 0; level < levels; ++level) {
        at += u"\\k";
        names.push_back(u"k");
      }
    }
    Link(at + u"\\End", u"\\REGISTRY\\MACHINE\\Y");
    names.push_back(u"End");
    faults_.denyNativeOpen = [](std::u16string_view key) {
      return key.size() >= 8 && key.substr(key.size() - 8) == u"\\Refused";
    };
    apparatus::SetFaults(faults_);
    return names;
  }

  static std::string DisplayPath(const std::vector<std::u16string>& names, std::size_t count) {
    std::string path = "HKLM\\T";
    for (std::size_t i = 0; i < count; ++i) path += "\\" + std::string(names[i].begin(), names[i].end());
    return path;
  }
};

TEST_F(DeepWalkTest, RefusedLinksIntoDeepTreesAreWalkedToTheEnd) {
  // Each tree is as deep as a registry allows, together far deeper.
  const std::vector<std::u16string> names = BuildRefusedChain(3, 300);
  ASSERT_LT(names.size(), kMaxWalkDepth);
  EXPECT_EQ(SearchKeyForLinks(u"HKLM\\T", 0), 0u);
  EXPECT_EQ(Output(), "\"" + DisplayPath(names, names.size()) + "\" -> \"HKLM\\Y\"\r\n");
}

TEST_F(DeepWalkTest, AKeyBelowTheLastLevelGetsTheErrorLineAndIsNotEntered) {
  const std::vector<std::u16string> names = BuildRefusedChain(5, 420);
  ASSERT_GT(names.size(), kMaxWalkDepth + 1);
  EXPECT_EQ(SearchKeyForLinks(u"HKLM\\T", 0), 0u);
  // The key one level below the last entered one is probed, not entered.
  EXPECT_EQ(Output(), "\"" + DisplayPath(names, kMaxWalkDepth + 1) + "\"\t[error while querying]\r\n");
}

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
  EXPECT_EQ(apparatus::CallCounts().open, 0);
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
  faults_.valueQuery = [](std::u16string_view key, ULONG, bool sizeQuery, NTSTATUS* status) {
    *status = STATUS_INVALID_PARAMETER;
    return key == u"\\REGISTRY\\MACHINE\\T\\A" && sizeQuery;
  };
  apparatus::SetFaults(faults_);
  EXPECT_EQ(SearchKeyForLinks(u"HKLM\\T", 0), 0u);
  EXPECT_EQ(Output(),
            "\"HKLM\\T\\A\"\t[error while querying]\r\n"
            "\"HKLM\\T\\A\\C\" -> \"HKLM\\Y\"\r\n");
}

TEST_F(KeyWalkTest, ASubkeyThatCannotBeOpenedIsSkippedAndItsSiblingsSearched) {
  Link(u"\\Registry\\Machine\\T\\A\\C", u"\\REGISTRY\\MACHINE\\Y");
  Link(u"\\Registry\\Machine\\T\\B", u"\\REGISTRY\\MACHINE\\Z");
  faults_.denyRegOpen = [](std::u16string_view key) { return key == u"\\REGISTRY\\MACHINE\\T\\A"; };
  apparatus::SetFaults(faults_);
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
  apparatus::SetFaults(faults_);
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
  apparatus::SetFaults(faults_);
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
  apparatus::SetFaults(faults_);
  EXPECT_EQ(SearchKeyForLinks(u"HKLM\\A", 1), 0u);
  EXPECT_EQ(Output(),
            "\"HKLM\\A\\T\\Back1\" [access denied]\r\n"
            "\"HKLM\\A\\T\\Back2\" [access denied]\r\n"
            "\"HKLM\\A\\U\" -> \"HKLM\\Y\"\r\n");
}

TEST_F(KeyWalkTest, ARefusedLinkBackToAHiveRootEndsWhereTheRootCannotBeNamed) {
  // As under Wine: the hive's own key opens as the predefined handle, which
  // NtQueryKey cannot name. The guard knows the root by its NT root.
  struct Case {
    const char16_t* top;
    const char16_t* root;
    std::string display;
  };
  const Case cases[] = {
      {u"HKLM", u"\\Registry\\Machine", "HKLM"},
      {u"HKEY_USERS\\", u"\\Registry\\User", "HKEY_USERS"},
  };
  for (const Case& c : cases) {
    const std::u16string root = c.root;
    Link(root + u"\\A\\Back", u"\\REGISTRY\\" + root.substr(10));
    Link(root + u"\\B", root + u"\\Y");
    faults_.predefinedRootsAsWine = true;
    faults_.denyNativeOpen = [](std::u16string_view key) {
      return key.size() >= 5 && key.substr(key.size() - 5) == u"\\Back";
    };
    apparatus::SetFaults(faults_);
    writes_.clear();
    EXPECT_EQ(SearchKeyForLinks(c.top, 1), 0u);
    const std::string shortRoot = root == u"\\Registry\\Machine" ? "HKLM" : "HKU";
    EXPECT_EQ(Output(), "\"" + c.display + "\\A\\Back\" [access denied]\r\n\"" + c.display +
                            "\\B\" -> \"" + shortRoot + "\\Y\"\r\n");
  }
}

}  // namespace
}  // namespace tornvale

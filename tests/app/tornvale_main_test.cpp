#include "app/tornvale_main.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "usage_screen.h"

namespace tornvale {
namespace {

class TornvaleMainTest : public SubstituteTest {
 protected:
  void SetUp() override {
    SubstituteTest::SetUp();
    // HKLM\System holds a link and a key whose probe is refused.
    Link(u"\\Registry\\Machine\\System\\L", u"\\REGISTRY\\MACHINE\\Y");
    Key(u"\\Registry\\Machine\\System\\Secret");
    apparatus::Faults faults;
    faults.denyNativeOpen = [](std::u16string_view key) {
      return key == u"\\REGISTRY\\MACHINE\\System\\Secret";
    };
    apparatus::SetFaults(faults);
  }

  int Run(std::vector<std::u16string> arguments) {
    arguments.insert(arguments.begin(), u"Tornvale.exe");
    std::vector<char16_t*> argv;
    for (std::u16string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    return TornvaleMain(static_cast<int>(arguments.size()), argv.data());
  }
};

struct ArgumentCase {
  std::vector<std::u16string> arguments;
  int status;
  std::string output;  // "usage" stands for the usage screen
};

const std::string kLink = "\"HKLM\\System\\L\" -> \"HKLM\\Y\"\r\n";
const std::string kDenied = "\"HKLM\\System\\Secret\" [access denied]\r\n";

TEST_F(TornvaleMainTest, FollowsTheArgumentRules) {
  const ArgumentCase cases[] = {
      {{}, 1, "usage"},
      {{u"HKLM\\System", u"-v", u"x"}, 1, "usage"},
      {{u"-?"}, 1, "usage"},
      {{u"/?"}, 1, "usage"},
      {{u"-help"}, 1, "usage"},
      {{u"-HELP"}, 1, "usage"},
      {{u"-Help", u"anything"}, 1, "usage"},
      {{u"-?", u"-v"}, 1, "usage"},
      {{u"HKLM\\System", u"/v"}, 1, "usage"},
      {{u"HKLM\\System", u"-verbose"}, 1, "usage"},
      {{u"HKLM\\System", u"-v "}, 1, "usage"},
      {{u"-v", u"HKLM\\System"}, 1, "usage"},
      {{u"HKLM\\System"}, 0, kLink},
      {{u"HKLM\\System", u"-v"}, 0, kLink + kDenied},
      {{u"HKLM\\System", u"-V"}, 0, kLink + kDenied},
      {{u"hklm\\system"}, 0, "\"hklm\\system\\L\" -> \"HKLM\\Y\"\r\n"},
      {{u"-v"}, 2, ""},
      {{u"-h"}, 2, ""},
      {{u"--help"}, 2, ""},
      {{u"/help"}, 2, ""},
      {{u""}, 2, ""},
      {{u"HKLM\\Missing"}, 2, "\"HKLM\\Missing\"\t[error while querying]\r\n"},
  };
  for (const ArgumentCase& c : cases) {
    writes_.clear();
    EXPECT_EQ(Run(c.arguments), c.status) << testing::PrintToString(c.arguments.size());
    EXPECT_EQ(Output(), c.output == "usage" ? kUsageScreen : c.output);
  }
}

TEST_F(TornvaleMainTest, AFailedFrameworkInitialisationEndsTheRunFirst) {
  apparatus::Faults faults;
  faults.failFrameworkInit = true;
  apparatus::SetFaults(faults);
  const int lookups = apparatus::CallCounts().procAddress;
  EXPECT_EQ(Run({u"/?"}), 2);
  EXPECT_EQ(Output(), "ERROR: MFC initialization failed!\r\n");
  EXPECT_EQ(apparatus::CallCounts().procAddress, lookups);
}

TEST_F(TornvaleMainTest, AMissingEntryPointEndsTheRunBeforeTheArguments) {
  apparatus::RemoveExport("NtQueryKey");
  EXPECT_EQ(Run({u"/?"}), 2);
  EXPECT_EQ(Output(),
            "Function <NtQueryKey> not found!\r\n"
            "ERROR: NT API initialization failed!\r\n");
}

}  // namespace
}  // namespace tornvale

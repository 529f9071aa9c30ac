#include "native/link_probe.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace tornvale {
namespace {

class LinkProbeTest : public SubstituteTest {
 protected:
  LinkProbeResult Probe(std::u16string_view ntPath) {
    target_ = u"left over";
    return QueryLinkTarget(std::u16string(ntPath), target_);
  }

  // Makes the n-th value query from now answer `status`.
  void FailQuery(uint64_t n, NTSTATUS status) {
    substitute::RegistryFaults faults;
    faults.beforeValueQuery = [n, status](HANDLE, ULONG, uint64_t call, NTSTATUS* forced) {
      *forced = status;
      return call == n;
    };
    substitute::SetRegistryFaults(faults);
  }

  std::u16string target_;
};

TEST_F(LinkProbeTest, FindsALinkAndReadsItsTargetAsStored) {
  Link(u"\\Registry\\Machine\\X\\L", u"\\REGISTRY\\MACHINE\\Y");
  Key(u"\\Registry\\Machine\\Y");
  EXPECT_EQ(Probe(u"\\Registry\\Machine\\X\\L"), LinkFound);
  EXPECT_TRUE(target_ == u"\\REGISTRY\\MACHINE\\Y");
  EXPECT_EQ(substitute::NativeCalls().close, 1);
}

TEST_F(LinkProbeTest, AKeyWithoutTheValueIsNotALinkAndIsClosed) {
  Key(u"\\Registry\\Machine\\X");
  EXPECT_EQ(Probe(u"\\Registry\\Machine\\X"), NotALink);
  EXPECT_TRUE(target_.empty());
  EXPECT_EQ(substitute::NativeCalls().close, 1);
  EXPECT_EQ(substitute::NativeCalls().queryValue, 1);
}

TEST_F(LinkProbeTest, AValueOfAnotherTypeIsNotALink) {
  const KeyId key = Key(u"\\Registry\\Machine\\X");
  Registry().SetStringValue(key, u"SymbolicLinkValue", REG_SZ, u"\\REGISTRY\\MACHINE\\Y");
  EXPECT_EQ(Probe(u"\\Registry\\Machine\\X"), NotALink);
  EXPECT_TRUE(target_.empty());
  EXPECT_EQ(substitute::NativeCalls().queryValue, 2);
}

TEST_F(LinkProbeTest, TakesTheTextUpToTheDataLengthOrItsFirstZero) {
  struct Case {
    std::vector<uint8_t> data;
    std::u16string expected;
  };
  const Case cases[] = {
      {{}, u""},
      {{'a', 0, 'b', 0, 'c', 0, 'd'}, u"abc"},  // an odd last byte is dropped
      {{'a', 0, 0, 0, 'b', 0}, u"a"},
      {{0xE9, 0x00, 0x00, 0x01}, u"\u00E9\u0100"},
  };
  const KeyId key = Key(u"\\Registry\\Machine\\X");
  Registry().MarkLink(key, true);
  for (const Case& c : cases) {
    Registry().SetValue(key, u"SymbolicLinkValue", REG_LINK, c.data);
    EXPECT_EQ(Probe(u"\\Registry\\Machine\\X"), LinkFound);
    EXPECT_TRUE(target_ == c.expected);
  }
}

TEST_F(LinkProbeTest, ARefusedOpenIsAccessDeniedAndNothingIsClosed) {
  Key(u"\\Registry\\Machine\\X");
  substitute::RegistryFaults faults;
  faults.denyNativeOpen = [](std::u16string_view key) { return key == u"\\REGISTRY\\MACHINE\\X"; };
  substitute::SetRegistryFaults(faults);
  EXPECT_EQ(Probe(u"\\Registry\\Machine\\X"), AccessDenied);
  EXPECT_TRUE(target_.empty());
  EXPECT_EQ(substitute::NativeCalls().close, 0);
}

TEST_F(LinkProbeTest, ARefusedFirstQueryIsAccessDeniedAndTheKeyIsClosed) {
  Key(u"\\Registry\\Machine\\X");
  substitute::RegistryFaults faults;
  faults.denyValueQuery = [](std::u16string_view) { return true; };
  substitute::SetRegistryFaults(faults);
  EXPECT_EQ(Probe(u"\\Registry\\Machine\\X"), AccessDenied);
  EXPECT_EQ(substitute::NativeCalls().close, 1);
}

TEST_F(LinkProbeTest, AMissingKeyIsAQueryError) {
  EXPECT_EQ(Probe(u"\\Registry\\Machine\\Missing"), QueryError);
  EXPECT_TRUE(target_.empty());
}

TEST_F(LinkProbeTest, AnswersOfTheFirstQueryDecideInTableOrder) {
  const KeyId key = Key(u"\\Registry\\Machine\\X");
  Registry().MarkLink(key, true);
  Registry().SetStringValue(key, u"SymbolicLinkValue", REG_LINK, u"\\REGISTRY\\MACHINE\\Y");
  const std::pair<NTSTATUS, LinkProbeResult> cases[] = {
      {STATUS_SUCCESS, QueryError},
      {STATUS_INVALID_HANDLE, QueryError},  // an ordinary handle
      {STATUS_BUFFER_OVERFLOW, QueryError},
      {STATUS_OBJECT_NAME_NOT_FOUND, NotALink},
      {STATUS_ACCESS_DENIED, AccessDenied},
  };
  for (const auto& [status, expected] : cases) {
    const int closesBefore = substitute::NativeCalls().close;
    FailQuery(substitute::NativeCalls().queryValue + 1, status);
    EXPECT_EQ(Probe(u"\\Registry\\Machine\\X"), expected) << std::hex << status;
    EXPECT_EQ(substitute::NativeCalls().close, closesBefore + 1);
  }
}

TEST_F(LinkProbeTest, RefusalsAfterTheFirstQueryAreQueryErrors) {
  for (uint64_t query = 2; query <= 4; ++query) {
    substitute::Reset();
    substitute::UseKeyStore(std::make_unique<MemoryKeyStore>());
    static_cast<MemoryKeyStore&>(substitute::CurrentKeyStore())
        .CreateLink(u"\\Registry\\Machine\\X", u"\\REGISTRY\\MACHINE\\Y");
    FailQuery(query, STATUS_ACCESS_DENIED);
    EXPECT_EQ(Probe(u"\\Registry\\Machine\\X"), QueryError) << "query " << query;
    EXPECT_TRUE(target_.empty());
  }
}

TEST_F(LinkProbeTest, SpecialHandleValuesAreNeverClosed) {
  struct Case {
    NTSTATUS openStatus;
    HKEY handle;
    LinkProbeResult expected;
  };
  // Informational statuses come with the performance keys' handle values.
  const Case cases[] = {
      {STATUS_SUCCESS, HKEY_PERFORMANCE_TEXT, NotALink},
      {STATUS_SUCCESS, HKEY_PERFORMANCE_NLSTEXT, NotALink},
      {NtStatus(0x40000016u), HKEY_PERFORMANCE_TEXT, QueryError},
  };
  for (const Case& c : cases) {
    substitute::RegistryFaults faults;
    faults.overrideOpen = [c](std::u16string_view, NTSTATUS* status, HANDLE* handle) {
      *status = c.openStatus;
      *handle = c.handle;
      return true;
    };
    substitute::SetRegistryFaults(faults);
    EXPECT_EQ(Probe(u"\\Registry\\Machine\\Perflib\\009"), c.expected);
    EXPECT_EQ(substitute::NativeCalls().close, 0);
  }
}

TEST_F(LinkProbeTest, AFailedAllocationIsAQueryError) {
  Link(u"\\Registry\\Machine\\X", u"\\REGISTRY\\MACHINE\\Y");
  for (int allocation = 1; allocation <= 2; ++allocation) {
    substitute::FailLocalAllocAt(allocation);
    EXPECT_EQ(Probe(u"\\Registry\\Machine\\X"), QueryError);
    EXPECT_TRUE(target_.empty());
  }
}

TEST_F(LinkProbeTest, DoesNotFollowTheLinkItProbes) {
  Link(u"\\Registry\\Machine\\X", u"\\REGISTRY\\MACHINE\\Nowhere");
  EXPECT_EQ(Probe(u"\\registry\\MACHINE\\x"), LinkFound);
  EXPECT_TRUE(target_ == u"\\REGISTRY\\MACHINE\\Nowhere");
}

TEST_F(LinkProbeTest, APathTooLongForANativeNameIsAQueryErrorWithoutAnOpen) {
  Key(u"\\Registry\\Machine\\X");
  std::u16string path = u"\\Registry\\Machine\\X";
  path.resize(32768, u'\\');
  EXPECT_EQ(Probe(path), QueryError);
  EXPECT_EQ(substitute::NativeCalls().open, 0);
  path.resize(32767);
  EXPECT_EQ(Probe(path), NotALink);  // the longest name that fits still opens
}

TEST_F(LinkProbeTest, DataThatGrowsBeforeTheReadKeepsTheTerminatorInTheBuffer) {
  const KeyId key = Link(u"\\Registry\\Machine\\X", u"abcd");
  for (const auto& [grown, expected] : {std::pair<std::u16string, LinkProbeResult>{u"abcde", LinkFound},
                                        {u"abcdefgh", QueryError}}) {
    Registry().SetStringValue(key, u"SymbolicLinkValue", REG_LINK, u"abcd");
    substitute::RegistryFaults faults;
    const uint64_t fourth = substitute::NativeCalls().queryValue + 4;
    faults.beforeValueQuery = [this, key, fourth, grown = grown](HANDLE, ULONG, uint64_t call,
                                                                  NTSTATUS*) {
      if (call == fourth) Registry().SetStringValue(key, u"SymbolicLinkValue", REG_LINK, grown);
      return false;
    };
    substitute::SetRegistryFaults(faults);
    EXPECT_EQ(Probe(u"\\Registry\\Machine\\X"), expected);
    // The read fills the buffer to its end; the text stops where it ends.
    if (expected == LinkFound) {
      EXPECT_TRUE(target_ == u"abcd");
    }
  }
}

}  // namespace
}  // namespace tornvale

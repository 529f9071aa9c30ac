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

  // Makes the value query of `informationClass` (a size query, or the read
  // into a buffer) answer `status`.
  void FailQuery(ULONG informationClass, bool sizeQuery, NTSTATUS status) {
    apparatus::Faults faults;
    faults.valueQuery = [=](std::u16string_view, ULONG queried, bool size, NTSTATUS* forced) {
      *forced = status;
      return queried == informationClass && size == sizeQuery;
    };
    apparatus::SetFaults(faults);
  }

  std::u16string target_;
};

TEST_F(LinkProbeTest, FindsALinkAndReadsItsTargetAsStored) {
  Link(u"\\Registry\\Machine\\X\\L", u"\\REGISTRY\\MACHINE\\Y");
  Key(u"\\Registry\\Machine\\Y");
  EXPECT_EQ(Probe(u"\\Registry\\Machine\\X\\L"), LinkFound);
  EXPECT_TRUE(target_ == u"\\REGISTRY\\MACHINE\\Y");
  EXPECT_EQ(apparatus::OpenHandleCount(), 0);
}

TEST_F(LinkProbeTest, AKeyWithoutTheValueIsNotALinkAndIsClosed) {
  Key(u"\\Registry\\Machine\\X");
  EXPECT_EQ(Probe(u"\\Registry\\Machine\\X"), NotALink);
  EXPECT_TRUE(target_.empty());
  EXPECT_EQ(apparatus::OpenHandleCount(), 0);
  // A key that is no link costs one size query.
  EXPECT_EQ(apparatus::CallCounts().queryValue, 1);
}

TEST_F(LinkProbeTest, AValueOfAnotherTypeIsNotALink) {
  const KeyId key = Key(u"\\Registry\\Machine\\X");
  Registry().SetStringValue(key, u"SymbolicLinkValue", REG_SZ, u"\\REGISTRY\\MACHINE\\Y");
  EXPECT_EQ(Probe(u"\\Registry\\Machine\\X"), NotALink);
  EXPECT_TRUE(target_.empty());
  EXPECT_EQ(apparatus::CallCounts().queryValue, 2);
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
  apparatus::Faults faults;
  faults.denyNativeOpen = [](std::u16string_view key) { return key == u"\\REGISTRY\\MACHINE\\X"; };
  apparatus::SetFaults(faults);
  EXPECT_EQ(Probe(u"\\Registry\\Machine\\X"), AccessDenied);
  EXPECT_TRUE(target_.empty());
  EXPECT_EQ(apparatus::CallCounts().close, 0);
}

TEST_F(LinkProbeTest, ARefusedFirstQueryIsAccessDeniedAndTheKeyIsClosed) {
  Key(u"\\Registry\\Machine\\X");
  apparatus::Faults faults;
  faults.valueQuery = [](std::u16string_view key, ULONG, bool, NTSTATUS* status) {
    *status = STATUS_ACCESS_DENIED;
    return key == u"\\REGISTRY\\MACHINE\\X";
  };
  apparatus::SetFaults(faults);
  EXPECT_EQ(Probe(u"\\Registry\\Machine\\X"), AccessDenied);
  EXPECT_EQ(apparatus::OpenHandleCount(), 0);
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
    FailQuery(KeyValueBasicInformation, true, status);
    EXPECT_EQ(Probe(u"\\Registry\\Machine\\X"), expected) << std::hex << status;
    EXPECT_EQ(apparatus::OpenHandleCount(), 0);
  }
}

TEST_F(LinkProbeTest, RefusalsAfterTheFirstQueryAreQueryErrors) {
  Link(u"\\Registry\\Machine\\X", u"\\REGISTRY\\MACHINE\\Y");
  // The read of the basic record, then the size query and the read of the partial one.
  const std::pair<ULONG, bool> queries[] = {{KeyValueBasicInformation, false},
                                            {KeyValuePartialInformation, true},
                                            {KeyValuePartialInformation, false}};
  for (const auto& [informationClass, sizeQuery] : queries) {
    FailQuery(informationClass, sizeQuery, STATUS_ACCESS_DENIED);
    EXPECT_EQ(Probe(u"\\Registry\\Machine\\X"), QueryError)
        << "class " << informationClass << (sizeQuery ? ", size query" : ", read");
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
    apparatus::Faults faults;
    faults.overrideOpen = [c](std::u16string_view, NTSTATUS* status, HANDLE* handle) {
      *status = c.openStatus;
      *handle = c.handle;
      return true;
    };
    apparatus::SetFaults(faults);
    EXPECT_EQ(Probe(u"\\Registry\\Machine\\Perflib\\009"), c.expected);
    EXPECT_EQ(apparatus::CallCounts().close, 0);
  }
}

TEST_F(LinkProbeTest, AFailedAllocationIsAQueryError) {
  Link(u"\\Registry\\Machine\\X", u"\\REGISTRY\\MACHINE\\Y");
  for (ULONG record : {KeyValueBasicInformation, KeyValuePartialInformation}) {
    apparatus::Faults faults;
    faults.failRecordBuffer = [record](ULONG informationClass) { return informationClass == record; };
    apparatus::SetFaults(faults);
    EXPECT_EQ(Probe(u"\\Registry\\Machine\\X"), QueryError) << "class " << record;
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
  EXPECT_EQ(apparatus::CallCounts().open, 0);
  path.resize(32767);
  EXPECT_EQ(Probe(path), NotALink);  // the longest name that fits still opens
}

TEST_F(LinkProbeTest, DataThatGrowsBeforeTheReadKeepsTheTerminatorInTheBuffer) {
  const KeyId key = Link(u"\\Registry\\Machine\\X", u"abcd");
  for (const auto& [grown, expected] : {std::pair<std::u16string, LinkProbeResult>{u"abcde", LinkFound},
                                        {u"abcdefgh", QueryError}}) {
    Registry().SetStringValue(key, u"SymbolicLinkValue", REG_LINK, u"abcd");
    apparatus::Faults faults;
    // The data grows just before the partial record is read.
    faults.valueQuery = [this, key, grown = grown](std::u16string_view, ULONG informationClass,
                                                    bool sizeQuery, NTSTATUS*) {
      if (informationClass == KeyValuePartialInformation && !sizeQuery) {
        Registry().SetStringValue(key, u"SymbolicLinkValue", REG_LINK, grown);
      }
      return false;
    };
    apparatus::SetFaults(faults);
    EXPECT_EQ(Probe(u"\\Registry\\Machine\\X"), expected);
    // The read fills the buffer to its end; the text stops where it ends.
    if (expected == LinkFound) {
      EXPECT_TRUE(target_ == u"abcd");
    }
  }
}

}  // namespace
}  // namespace tornvale

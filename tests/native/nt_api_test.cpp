#include "native/nt_api.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace tornvale {
namespace {

class NtApiTest : public SubstituteTest {};

TEST_F(NtApiTest, BindsAllSixSlotsSilently) {
  NtApi = NtApiTable{};
  EXPECT_EQ(InitNtApi(), 0);
  EXPECT_EQ(Output(), "");
  EXPECT_NE(NtApi.NtOpenSymbolicLinkObject, nullptr);
  EXPECT_NE(NtApi.NtQuerySymbolicLinkObject, nullptr);
  EXPECT_NE(NtApi.NtClose, nullptr);
  EXPECT_NE(NtApi.NtOpenKey, nullptr);
  EXPECT_NE(NtApi.NtQueryKey, nullptr);
  EXPECT_NE(NtApi.NtQueryValueKey, nullptr);
}

TEST_F(NtApiTest, NamesTheFirstMissingExportAndLooksNoFurther) {
  const char* const order[] = {"NtOpenSymbolicLinkObject", "NtQuerySymbolicLinkObject", "NtClose",
                               "NtOpenKey", "NtQueryKey", "NtQueryValueKey"};
  for (int missing = 0; missing < 6; ++missing) {
    apparatus::Reset();
    writes_.clear();
    apparatus::CaptureStdout(FILE_TYPE_CHAR, [this](std::string_view bytes) {
      writes_.emplace_back(bytes);
      return true;
    });
    apparatus::RemoveExport(order[missing]);
    EXPECT_EQ(InitNtApi(), 1);
    EXPECT_EQ(Output(), std::string("Function <") + order[missing] + "> not found!\r\n");
    EXPECT_EQ(apparatus::CallCounts().procAddress, missing + 1);
  }
}

TEST_F(NtApiTest, ReportsOnlyTheFirstOfTwoMissingExports) {
  apparatus::RemoveExport("NtQueryKey");
  apparatus::RemoveExport("NtQueryValueKey");
  EXPECT_EQ(InitNtApi(), 1);
  EXPECT_EQ(Output(), "Function <NtQueryKey> not found!\r\n");
}

}  // namespace
}  // namespace tornvale

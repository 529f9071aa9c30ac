// What differs between the two Windows builds at the system interface and
// cannot show on x86_64 alone: on 32-bit x86 the native entry points are
// __stdcall (the callee pops its arguments), OBJECT_ATTRIBUTES is 24 bytes
// (48 on x86_64), and the predefined key handles are 32-bit values that
// x86_64 sign-extends. The core declares all of these itself; here they are
// held against the system's headers and called for real.
#include <windows.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <cstddef>

#include "abi_core_side.h"

namespace {

constexpr bool kBuild32 = sizeof(void*) == 4;

std::uintptr_t SignExtended(uint32_t value) {
  return static_cast<std::uintptr_t>(static_cast<std::intptr_t>(static_cast<int32_t>(value)));
}

}  // namespace

TEST(Abi, ObjectAttributesHasTheSystemLayout) {
  const CoreLayout core = CoreObjectAttributesLayout();
  EXPECT_EQ(core.attributesSize, kBuild32 ? 24u : 48u);
  EXPECT_EQ(core.attributesSize, sizeof(::OBJECT_ATTRIBUTES));
  EXPECT_EQ(core.length, offsetof(::OBJECT_ATTRIBUTES, Length));
  EXPECT_EQ(core.rootDirectory, offsetof(::OBJECT_ATTRIBUTES, RootDirectory));
  EXPECT_EQ(core.objectName, offsetof(::OBJECT_ATTRIBUTES, ObjectName));
  EXPECT_EQ(core.attributes, offsetof(::OBJECT_ATTRIBUTES, Attributes));
  EXPECT_EQ(core.securityDescriptor, offsetof(::OBJECT_ATTRIBUTES, SecurityDescriptor));
  EXPECT_EQ(core.securityQualityOfService, offsetof(::OBJECT_ATTRIBUTES, SecurityQualityOfService));
  EXPECT_EQ(core.unicodeStringSize, kBuild32 ? 8u : 16u);
  EXPECT_EQ(core.unicodeStringSize, sizeof(::UNICODE_STRING));
  EXPECT_EQ(core.unicodeLength, offsetof(::UNICODE_STRING, Length));
  EXPECT_EQ(core.unicodeMaximumLength, offsetof(::UNICODE_STRING, MaximumLength));
  EXPECT_EQ(core.unicodeBuffer, offsetof(::UNICODE_STRING, Buffer));
}

TEST(Abi, PredefinedHandlesAreTheSystemsSignExtendedValues) {
  const struct {
    CoreKey key;
    HKEY system;
    uint32_t value;
  } cases[] = {{CoreKey::LocalMachine, HKEY_LOCAL_MACHINE, 0x80000002u},
               {CoreKey::Users, HKEY_USERS, 0x80000003u},
               {CoreKey::PerformanceText, HKEY_PERFORMANCE_TEXT, 0x80000050u},
               {CoreKey::PerformanceNlsText, HKEY_PERFORMANCE_NLSTEXT, 0x80000060u}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(CoreHandleValue(c.key), reinterpret_cast<std::uintptr_t>(c.system));
    EXPECT_EQ(CoreHandleValue(c.key), SignExtended(c.value));
  }
  if (!kBuild32) {
    EXPECT_EQ(CoreHandleValue(CoreKey::LocalMachine), 0xFFFFFFFF80000002ull);
  }
}

// The core's handle values open the hives for real.
TEST(Abi, PredefinedHandlesOpenTheHives) {
  EXPECT_EQ(CoreOpenAndClose(CoreKey::LocalMachine, u"System\\TornvaleTest"), ERROR_SUCCESS);
  EXPECT_EQ(CoreOpenAndClose(CoreKey::Users, u".DEFAULT"), ERROR_SUCCESS);
  EXPECT_EQ(CoreOpenAndClose(CoreKey::LocalMachine, u"System\\TornvaleTest\\Nope"),
            ERROR_FILE_NOT_FOUND);
}

// NtOpenKey, NtQueryValueKey and NtClose through the core's own pointer
// types, with its OBJECT_ATTRIBUTES and UNICODE_STRING: every round opens,
// reads the right link text and closes, and the caller comes back.
TEST(Abi, NativeEntryPointsAreCalledWithTheSystemsConvention) {
  ASSERT_EQ(CoreBindNtApi(), 0);
  const unsigned rounds = 1000;
  const NativeRounds run =
      CoreReadLinkRounds(u"\\Registry\\Machine\\System\\TornvaleTest\\Walk\\B", rounds);
  EXPECT_EQ(run.opened, rounds);
  EXPECT_EQ(run.queried, rounds);
  EXPECT_EQ(run.closed, rounds);
  EXPECT_EQ(run.lastTarget, u"\\Registry\\User\\.DEFAULT");
}

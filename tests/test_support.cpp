#include "test_support.h"

#include "output/output.h"
#include "native/nt_api.h"
#include "platform/linux/substitute.h"

namespace tornvale {

void SubstituteTest::SetUp() {
  apparatus::Reset();
  ResetOutput();
  apparatus::CaptureStdout(FILE_TYPE_CHAR, [this](std::string_view bytes) {
    writes_.emplace_back(bytes);
    return true;
  });
  auto registry = std::make_unique<MemoryKeyStore>();
  registry_ = registry.get();
  substitute::UseKeyStore(std::move(registry));
  ASSERT_EQ(InitNtApi(), 0);
}

void SubstituteTest::TearDown() {
  // Whatever a test ran gave back every handle and every block it took.
  EXPECT_EQ(apparatus::OpenHandleCount(), 0);
  EXPECT_EQ(apparatus::LiveLocalBlocks(), 0);
  ResetOutput();
  apparatus::Reset();
}

std::string SubstituteTest::Output() {
  FlushOutput();
  std::string all;
  for (const std::string& write : writes_) all += write;
  return all;
}

KeyId SubstituteTest::Key(std::u16string_view ntPath) {
  const KeyId key = registry_->CreateKey(ntPath);
  EXPECT_NE(key, MemoryKeyStore::kNoKey);
  return key;
}

KeyId SubstituteTest::Link(std::u16string_view ntPath, std::u16string_view target) {
  const KeyId key = registry_->CreateLink(ntPath, target);
  EXPECT_NE(key, MemoryKeyStore::kNoKey);
  return key;
}

}  // namespace tornvale

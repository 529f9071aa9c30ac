// A fresh substitute for each test: an in-memory registry the test fills,
// the native entry points bound, and standard output captured.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/linux/memory_key_store.h"
#include "support/apparatus.h"

namespace tornvale {

class SubstituteTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Everything written so far, with the collected rest flushed.
  std::string Output();

  MemoryKeyStore& Registry() { return *registry_; }
  KeyId Key(std::u16string_view ntPath);
  KeyId Link(std::u16string_view ntPath, std::u16string_view target);

  // Each WriteFile the output layer made, in order.
  std::vector<std::string> writes_;

 private:
  MemoryKeyStore* registry_ = nullptr;
};

}  // namespace tornvale

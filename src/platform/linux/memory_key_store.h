// A registry tree held in memory: what tests build their scenarios in, and
// the empty registry of a normal run.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/key_store.h"

namespace tornvale {

class MemoryKeyStore : public KeyStore {
 public:
  static constexpr std::size_t kMaxNameChars = 255;
  static constexpr std::size_t kMaxDepth = 512;  // levels below \Registry
  static constexpr KeyId kNoKey = ~KeyId{0};

  // Starts with \REGISTRY, \REGISTRY\MACHINE and \REGISTRY\USER.
  MemoryKeyStore();

  // Creates the key named by a full NT path (\Registry\Machine\A\B) and any
  // missing parents; returns the key, or kNoKey when a name is longer than
  // 255 characters or the key would lie deeper than 512 levels.
  KeyId CreateKey(std::u16string_view ntPath);
  // Adds one subkey by name, which may hold any code unit but a backslash.
  KeyId AddSubkey(KeyId parent, std::u16string_view name);
  // A link key: its "SymbolicLinkValue" of type REG_LINK holds `target`
  // (no terminating NUL, as Windows stores it).
  KeyId CreateLink(std::u16string_view ntPath, std::u16string_view target);

  void SetValue(KeyId key, std::u16string_view name, uint32_t type, std::vector<uint8_t> data);
  void SetStringValue(KeyId key, std::u16string_view name, uint32_t type,
                      std::u16string_view text);
  void DeleteValue(KeyId key, std::u16string_view name);
  void MarkLink(KeyId key, bool link);

  KeyId Root() override;
  bool FindSubkey(KeyId parent, std::u16string_view name, KeyId* found) override;
  SubkeyResult SubkeyAt(KeyId parent, uint32_t index, std::u16string* name) override;
  std::u16string Name(KeyId key) override;
  bool IsLink(KeyId key) override;
  bool QueryValue(KeyId key, std::u16string_view name, StoredValue* value) override;

 private:
  struct Node {
    std::u16string name;
    std::size_t depth = 0;
    bool link = false;
    // Upper-cased name to key: enumeration runs in this order, as on Windows.
    std::map<std::u16string, KeyId> subkeys;
    std::map<std::u16string, std::pair<std::u16string, StoredValue>> values;
  };

  std::vector<Node> nodes_;
};

}  // namespace tornvale

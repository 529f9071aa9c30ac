// A key store over registry hive files: each hive is mounted below
// \REGISTRY\MACHINE or \REGISTRY\USER under a name, as Windows loads them.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "offline/hive_file.h"
#include "platform/linux/key_store.h"

namespace tornvale {

class HiveKeyStore : public KeyStore {
 public:
  enum class Under { kMachine, kUser };
  static constexpr KeyId kRegistry = 0;
  static constexpr KeyId kMachine = 1;
  static constexpr KeyId kUser = 2;
  // Levels below \REGISTRY, as Windows allows; deeper keys are not served.
  static constexpr std::size_t kMaxDepth = 512;

  // Serves the hive's root key as \REGISTRY\<MACHINE|USER>\<name>. A second
  // mount of the same name (any case) is refused.
  bool Mount(Under where, std::u16string name, std::unique_ptr<HiveFile> file);

  KeyId Root() override;
  bool FindSubkey(KeyId parent, std::u16string_view name, KeyId* found) override;
  SubkeyResult SubkeyAt(KeyId parent, uint32_t index, std::u16string* name) override;
  std::u16string Name(KeyId key) override;
  bool IsLink(KeyId key) override;
  bool QueryValue(KeyId key, std::u16string_view name, StoredValue* value) override;

 private:
  struct MountPoint {
    Under where;
    std::u16string name;
    std::unique_ptr<HiveFile> file;
  };
  struct Children {
    bool failed = false;
    std::vector<HiveNode> nodes;  // in the hive's stored order
    // (hash of the upper-cased name, position in nodes), sorted; built on
    // the first lookup, so a key of many subkeys is never scanned by name.
    std::vector<std::pair<uint32_t, uint32_t>> byName;
    uint32_t lastFound = 0;
  };

  static KeyId MakeId(std::size_t mount, HiveNode node) {
    return (static_cast<KeyId>(mount + 1) << 32) | node;
  }
  static std::size_t MountOf(KeyId key) { return static_cast<std::size_t>(key >> 32) - 1; }
  static HiveNode NodeOf(KeyId key) { return static_cast<HiveNode>(key); }
  static bool IsVirtual(KeyId key) { return (key >> 32) == 0; }

  const std::vector<std::size_t>& MountsUnder(KeyId key) const;
  Children& ChildrenOf(KeyId key);
  void LoadChildren(KeyId key, Children* children);
  std::size_t DepthOf(std::size_t mount, HiveNode node) const;

  std::vector<MountPoint> mounts_;
  // Mount indices in enumeration order (by upper-cased name, as Windows sorts).
  std::vector<std::size_t> machineMounts_;
  std::vector<std::size_t> userMounts_;
  std::vector<std::size_t> noMounts_;
  std::unordered_map<KeyId, Children> children_;
  Children noChildren_;
  std::size_t cachedNodes_ = 0;
};

}  // namespace tornvale

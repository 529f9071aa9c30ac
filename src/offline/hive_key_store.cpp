#include "offline/hive_key_store.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

#include "platform/linux/key_name.h"

namespace tornvale {
namespace {

// Lists of this many subkeys or fewer are searched by comparing names.
constexpr std::size_t kScanLimit = 8;
// The subkey lists kept; past this many entries the cache starts over,
// which keeps memory flat on huge hives while the walk's path stays cheap.
constexpr std::size_t kCacheBudget = std::size_t{1} << 21;

// Hashes the name as upper-cased, so any spelling of it hashes alike.
uint32_t HashName(std::u16string_view name) {
  uint32_t hash = 2166136261u;
  for (char16_t unit : name) hash = (hash ^ UpcaseKeyChar(unit)) * 16777619u;
  return hash;
}

struct FreeOnExit {
  void* block;
  ~FreeOnExit() { std::free(block); }
};

}  // namespace

bool HiveKeyStore::Mount(Under where, std::u16string name, std::unique_ptr<HiveFile> file) {
  std::vector<std::size_t>& order = where == Under::kMachine ? machineMounts_ : userMounts_;
  const std::u16string folded = UpcaseKeyName(name);
  for (std::size_t index : order) {
    if (UpcaseKeyName(mounts_[index].name) == folded) return false;
  }
  mounts_.push_back(MountPoint{where, std::move(name), std::move(file)});
  order.push_back(mounts_.size() - 1);
  std::sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
    return UpcaseKeyName(mounts_[a].name) < UpcaseKeyName(mounts_[b].name);
  });
  return true;
}

const std::vector<std::size_t>& HiveKeyStore::MountsUnder(KeyId key) const {
  if (key == kMachine) return machineMounts_;
  if (key == kUser) return userMounts_;
  return noMounts_;
}

KeyId HiveKeyStore::Root() { return kRegistry; }

std::u16string HiveKeyStore::Name(KeyId key) {
  if (key == kRegistry) return u"REGISTRY";
  if (key == kMachine) return u"MACHINE";
  if (key == kUser) return u"USER";
  if (IsVirtual(key) || MountOf(key) >= mounts_.size()) return {};
  const MountPoint& mount = mounts_[MountOf(key)];
  if (NodeOf(key) == mount.file->root()) return mount.name;
  return mount.file->KeyName(NodeOf(key));
}

bool HiveKeyStore::IsLink(KeyId key) {
  if (IsVirtual(key) || MountOf(key) >= mounts_.size()) return false;
  return (mounts_[MountOf(key)].file->KeyFlags(NodeOf(key)) & HiveFile::kKeySymLink) != 0;
}

bool HiveKeyStore::FindSubkey(KeyId parent, std::u16string_view name, KeyId* found) {
  if (IsVirtual(parent)) {
    const std::u16string folded = UpcaseKeyName(name);
    if (parent == kRegistry) {
      if (folded == u"MACHINE") *found = kMachine;
      else if (folded == u"USER") *found = kUser;
      else return false;
      return true;
    }
    for (std::size_t index : MountsUnder(parent)) {
      if (UpcaseKeyName(mounts_[index].name) == folded) {
        *found = MakeId(index, mounts_[index].file->root());
        return true;
      }
    }
    return false;
  }
  Children& children = ChildrenOf(parent);
  const HiveFile& file = *mounts_[MountOf(parent)].file;
  const std::size_t mount = MountOf(parent);
  auto take = [&](uint32_t at) {
    children.lastFound = at;
    *found = MakeId(mount, children.nodes[at]);
    return true;
  };
  // Paths are resolved from the root for every call, so the same subkey is
  // asked for again and again: try the last one found first.
  if (children.lastFound < children.nodes.size() &&
      file.KeyNameMatches(children.nodes[children.lastFound], name)) {
    return take(children.lastFound);
  }
  if (children.nodes.size() <= kScanLimit) {
    for (uint32_t at = 0; at < children.nodes.size(); ++at) {
      if (file.KeyNameMatches(children.nodes[at], name)) return take(at);
    }
    return false;
  }
  if (children.byName.empty()) {
    children.byName.reserve(children.nodes.size());
    for (uint32_t at = 0; at < children.nodes.size(); ++at) {
      children.byName.emplace_back(HashName(file.KeyName(children.nodes[at])), at);
    }
    std::sort(children.byName.begin(), children.byName.end());
  }
  const uint32_t hash = HashName(name);
  auto it = std::lower_bound(children.byName.begin(), children.byName.end(),
                             std::make_pair(hash, uint32_t{0}));
  for (; it != children.byName.end() && it->first == hash; ++it) {
    if (file.KeyNameMatches(children.nodes[it->second], name)) return take(it->second);
  }
  return false;
}

SubkeyResult HiveKeyStore::SubkeyAt(KeyId parent, uint32_t index, std::u16string* name) {
  if (parent == kRegistry) {
    if (index > 1) return SubkeyResult::kEnd;
    *name = index == 0 ? u"MACHINE" : u"USER";
    return SubkeyResult::kFound;
  }
  if (IsVirtual(parent)) {
    const std::vector<std::size_t>& order = MountsUnder(parent);
    if (index >= order.size()) return SubkeyResult::kEnd;
    *name = mounts_[order[index]].name;
    return SubkeyResult::kFound;
  }
  const Children& children = ChildrenOf(parent);
  if (children.failed) return SubkeyResult::kFailed;
  if (index >= children.nodes.size()) return SubkeyResult::kEnd;
  *name = mounts_[MountOf(parent)].file->KeyName(children.nodes[index]);
  return SubkeyResult::kFound;
}

bool HiveKeyStore::QueryValue(KeyId key, std::u16string_view name, StoredValue* value) {
  if (IsVirtual(key) || MountOf(key) >= mounts_.size()) return false;
  const HiveFile& file = *mounts_[MountOf(key)].file;
  // Most keys hold no values; answer those without asking libhivex.
  if (hivex_node_nr_values(file.handle(), NodeOf(key)) == 0) return false;
  hive_value_h* values = hivex_node_values(file.handle(), NodeOf(key));
  if (values == nullptr) return false;
  FreeOnExit freeValues{values};
  std::u16string stored;
  for (hive_value_h* at = values; *at != 0; ++at) {
    if (!file.ValueName(*at, &stored) || !KeyNamesEqual(stored, name)) continue;
    // The type is read from the record as the number it is: a hostile hive
    // may hold one that names none of libhivex's hive_type values.
    uint32_t type = 0;
    if (!file.ValueType(*at, &type)) return false;
    std::size_t length = 0;
    char* data = hivex_value_value(file.handle(), *at, nullptr, &length);
    if (data == nullptr) return false;
    FreeOnExit freeData{data};
    value->type = type;
    value->data.assign(reinterpret_cast<const uint8_t*>(data),
                       reinterpret_cast<const uint8_t*>(data) + length);
    return true;
  }
  return false;
}

HiveKeyStore::Children& HiveKeyStore::ChildrenOf(KeyId key) {
  // Most keys have no subkeys; they take no room in the cache.
  if (MountOf(key) >= mounts_.size() || hivex_node_nr_children(mounts_[MountOf(key)].file->handle(), NodeOf(key)) == 0) {
    noChildren_ = Children{};
    return noChildren_;
  }
  auto it = children_.find(key);
  if (it != children_.end()) return it->second;
  if (cachedNodes_ > kCacheBudget) {
    children_.clear();
    cachedNodes_ = 0;
  }
  Children& children = children_[key];
  LoadChildren(key, &children);
  cachedNodes_ += children.nodes.size() + 1;
  return children;
}

std::size_t HiveKeyStore::DepthOf(std::size_t mount, HiveNode node) const {
  const HiveFile& file = *mounts_[mount].file;
  std::size_t depth = 2;  // a hive's root is \REGISTRY\MACHINE\<name>
  while (node != file.root()) {
    if (++depth > kMaxDepth) return depth;
    const hive_node_h parent = hivex_node_parent(file.handle(), node);
    if (parent == 0 || parent > UINT32_MAX) return kMaxDepth + 1;
    node = static_cast<HiveNode>(parent);
  }
  return depth;
}

void HiveKeyStore::LoadChildren(KeyId key, Children* children) {
  if (MountOf(key) >= mounts_.size()) return;
  const HiveFile& file = *mounts_[MountOf(key)].file;
  const HiveNode parent = NodeOf(key);
  if (hivex_node_nr_children(file.handle(), parent) == 0) return;
  if (DepthOf(MountOf(key), parent) >= kMaxDepth) return;
  hive_node_h* listed = hivex_node_children(file.handle(), parent);
  if (listed == nullptr) {
    children->failed = true;
    return;
  }
  FreeOnExit freeListed{listed};
  // A damaged hive can list a key under a second parent, under itself or
  // twice. Only a subkey whose own parent field names this key is served,
  // once: every key then has a single parent, so the tree has no cycles.
  for (hive_node_h* at = listed; *at != 0; ++at) {
    if (*at > UINT32_MAX) continue;
    const auto node = static_cast<HiveNode>(*at);
    if (node == file.root() || hivex_node_parent(file.handle(), node) != parent) continue;
    children->nodes.push_back(node);
  }
  std::vector<HiveNode> sorted = children->nodes;
  std::sort(sorted.begin(), sorted.end());
  if (std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end()) return;
  std::unordered_set<HiveNode> seen;
  auto repeated = [&seen](HiveNode node) { return !seen.insert(node).second; };
  children->nodes.erase(
      std::remove_if(children->nodes.begin(), children->nodes.end(), repeated),
      children->nodes.end());
}

}  // namespace tornvale

#include "platform/linux/memory_key_store.h"

#include <iterator>

#include "platform/linux/key_name.h"

namespace tornvale {

MemoryKeyStore::MemoryKeyStore() {
  nodes_.push_back(Node{u"REGISTRY", 0, false, {}, {}});
  AddSubkey(0, u"MACHINE");
  AddSubkey(0, u"USER");
}

KeyId MemoryKeyStore::AddSubkey(KeyId parent, std::u16string_view name) {
  if (name.size() > kMaxNameChars || name.find(u'\\') != std::u16string_view::npos ||
      nodes_[parent].depth >= kMaxDepth) {
    return kNoKey;
  }
  const std::u16string upper = UpcaseKeyName(name);
  auto existing = nodes_[parent].subkeys.find(upper);
  if (existing != nodes_[parent].subkeys.end()) return existing->second;
  const KeyId id = nodes_.size();
  nodes_.push_back(Node{std::u16string(name), nodes_[parent].depth + 1, false, {}, {}});
  nodes_[parent].subkeys.emplace(upper, id);
  return id;
}

KeyId MemoryKeyStore::CreateKey(std::u16string_view ntPath) {
  KeyId key = kNoKey;
  std::size_t at = 0;
  while (at <= ntPath.size()) {
    std::size_t end = ntPath.find(u'\\', at);
    if (end == std::u16string_view::npos) end = ntPath.size();
    const std::u16string_view name = ntPath.substr(at, end - at);
    at = end + 1;
    if (name.empty()) continue;
    if (key == kNoKey) {
      if (!KeyNamesEqual(name, u"REGISTRY")) return kNoKey;
      key = 0;
      continue;
    }
    key = AddSubkey(key, name);
    if (key == kNoKey) return kNoKey;
  }
  return key;
}

KeyId MemoryKeyStore::CreateLink(std::u16string_view ntPath, std::u16string_view target) {
  const KeyId key = CreateKey(ntPath);
  if (key == kNoKey) return kNoKey;
  MarkLink(key, true);
  SetStringValue(key, u"SymbolicLinkValue", 6, target);
  return key;
}

void MemoryKeyStore::SetValue(KeyId key, std::u16string_view name, uint32_t type,
                              std::vector<uint8_t> data) {
  nodes_[key].values[UpcaseKeyName(name)] = {std::u16string(name), StoredValue{type, std::move(data)}};
}

void MemoryKeyStore::SetStringValue(KeyId key, std::u16string_view name, uint32_t type,
                                    std::u16string_view text) {
  std::vector<uint8_t> data;
  for (char16_t unit : text) {
    data.push_back(static_cast<uint8_t>(unit & 0xFF));
    data.push_back(static_cast<uint8_t>(unit >> 8));
  }
  SetValue(key, name, type, std::move(data));
}

void MemoryKeyStore::DeleteValue(KeyId key, std::u16string_view name) {
  nodes_[key].values.erase(UpcaseKeyName(name));
}

void MemoryKeyStore::MarkLink(KeyId key, bool link) { nodes_[key].link = link; }

KeyId MemoryKeyStore::Root() { return 0; }

bool MemoryKeyStore::FindSubkey(KeyId parent, std::u16string_view name, KeyId* found) {
  const auto& subkeys = nodes_[parent].subkeys;
  auto entry = subkeys.find(UpcaseKeyName(name));
  if (entry == subkeys.end()) return false;
  *found = entry->second;
  return true;
}

SubkeyResult MemoryKeyStore::SubkeyAt(KeyId parent, uint32_t index, std::u16string* name) {
  const auto& subkeys = nodes_[parent].subkeys;
  if (index >= subkeys.size()) return SubkeyResult::kEnd;
  *name = nodes_[std::next(subkeys.begin(), index)->second].name;
  return SubkeyResult::kFound;
}

std::u16string MemoryKeyStore::Name(KeyId key) { return nodes_[key].name; }

bool MemoryKeyStore::IsLink(KeyId key) { return nodes_[key].link; }

bool MemoryKeyStore::QueryValue(KeyId key, std::u16string_view name, StoredValue* value) {
  const auto& values = nodes_[key].values;
  auto entry = values.find(UpcaseKeyName(name));
  if (entry == values.end()) return false;
  *value = entry->second.second;
  return true;
}

}  // namespace tornvale

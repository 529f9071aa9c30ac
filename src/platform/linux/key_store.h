// The storage behind the Linux substitute registry: a tree of keys with
// values. The registry calls (open, enumerate, query) and their Windows
// semantics live in registry.cpp; a store only answers questions about its
// keys, so the same semantics serve the in-memory tree and offline hives.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tornvale {

// Identifies one key of a store for as long as the store lives.
using KeyId = uint64_t;

struct StoredValue {
  uint32_t type = 0;
  std::vector<uint8_t> data;
};

enum class SubkeyResult { kFound, kEnd, kFailed };

class KeyStore {
 public:
  virtual ~KeyStore() = default;

  // The object "\Registry": its subkeys are the roots "Machine" and "User".
  virtual KeyId Root() = 0;

  // Looks a subkey up by name, without regard to letter case.
  virtual bool FindSubkey(KeyId parent, std::u16string_view name, KeyId* found) = 0;

  // The subkey at `index` in enumeration order, by its stored name.
  virtual SubkeyResult SubkeyAt(KeyId parent, uint32_t index, std::u16string* name) = 0;

  // The key's own name as stored (its case kept).
  virtual std::u16string Name(KeyId key) = 0;

  // True for a key created as a registry link: opening a path through it
  // follows its "SymbolicLinkValue".
  virtual bool IsLink(KeyId key) = 0;

  // A value of the key by name, without regard to letter case.
  virtual bool QueryValue(KeyId key, std::u16string_view name, StoredValue* value) = 0;
};

}  // namespace tornvale

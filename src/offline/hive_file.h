// One registry hive file opened with libhivex, plus the few record fields
// libhivex does not expose (a key's flags and its name bytes as stored),
// read from the file's bytes with every offset checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <hivex.h>

namespace tornvale {

// A hivex node handle is the file offset of the key's cell; it fits 32 bits
// because hive files are limited to 4 GiB.
using HiveNode = uint32_t;

class HiveFile {
 public:
  static constexpr uint16_t kKeySymLink = 0x0010;

  // Opens `path`, or answers null with `reason` saying why it is unusable:
  // missing, truncated, corrupt or not a hive at all.
  static std::unique_ptr<HiveFile> Open(const std::string& path, std::string* reason);
  ~HiveFile();
  HiveFile(const HiveFile&) = delete;
  HiveFile& operator=(const HiveFile&) = delete;

  hive_h* handle() const { return hive_; }
  HiveNode root() const { return root_; }

  // The key record's flags; 0 for a cell that is no key record.
  uint16_t KeyFlags(HiveNode node) const;
  // The key's name as stored: compressed names are one byte per code unit
  // (Latin-1), others UTF-16LE. A name that overruns its cell is cut short.
  std::u16string KeyName(HiveNode node) const;
  // The stored name compared with `name` without regard to letter case.
  bool KeyNameMatches(HiveNode node, std::u16string_view name) const;
  // The value record's type, any 32-bit number; false for a bad cell.
  bool ValueType(hive_value_h value, uint32_t* type) const;
  // The value record's name as stored; false for a bad cell.
  bool ValueName(hive_value_h value, std::u16string* name) const;

 private:
  HiveFile() = default;

  struct NameBytes {
    const uint8_t* bytes = nullptr;
    std::size_t length = 0;  // in bytes
    bool compressed = false;
  };
  // The cell at `offset` when it is in use, holds `id` and is at least
  // `fixedSize` bytes long; its usable length through `cellLength`.
  const uint8_t* Cell(std::size_t offset, const char id[2], std::size_t fixedSize,
                      std::size_t* cellLength) const;
  NameBytes StoredKeyName(HiveNode node) const;

  hive_h* hive_ = nullptr;
  const uint8_t* bytes_ = nullptr;
  std::size_t size_ = 0;
  HiveNode root_ = 0;
};

// Decodes stored name bytes into UTF-16 code units, exactly as stored.
std::u16string DecodeStoredName(const uint8_t* bytes, std::size_t length, bool compressed);

}  // namespace tornvale

// Writes registry hive files for tests and the sample volume. libhivex
// cannot create a hive, so the empty hive is written here byte by byte;
// keys and values are then added with libhivex's own write calls, and the
// link flag, which libhivex does not know, is set in the key records last.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <hivex.h>

namespace tornvale::testing {

// The smallest valid hive: the base block and one bin holding the root key
// and its security cell.
std::vector<uint8_t> EmptyHiveBytes();

// UTF-16LE bytes of `text`, without a terminator (as link targets are
// stored) or with one (as string values are).
std::vector<uint8_t> Utf16Bytes(std::u16string_view text, bool terminated);

class HiveBuilder {
 public:
  // Starts an empty hive at `file`; Save() writes the finished hive there.
  explicit HiveBuilder(std::string file);
  // Goes on with the saved hive at `file`, changing it in place.
  struct Existing {};
  HiveBuilder(std::string file, Existing);
  ~HiveBuilder();
  HiveBuilder(const HiveBuilder&) = delete;
  HiveBuilder& operator=(const HiveBuilder&) = delete;

  // The key at `path` below the root ("A\\B", UTF-8 names), created with
  // any missing parents. Answers the node (the key record's file offset).
  hive_node_h Key(const std::string& path);
  void Value(const std::string& path, const std::string& name, uint32_t type,
             std::vector<uint8_t> data);
  void StringValue(const std::string& path, const std::string& name, uint32_t type,
                   std::u16string_view text);
  // A registry link as Windows stores it: the key flagged KEY_SYM_LINK
  // and holding "SymbolicLinkValue" of type REG_LINK.
  hive_node_h Link(const std::string& path, std::u16string_view target);

  void Save();

 private:
  struct PendingValue {
    std::string name;
    uint32_t type;
    std::vector<uint8_t> data;
  };

  std::string file_;
  hive_h* hive_ = nullptr;
  std::map<hive_node_h, std::vector<PendingValue>> values_;
  std::vector<hive_node_h> links_;
};

// Sets or clears bits of a key record's flags in a saved hive file.
void PatchKeyFlags(const std::string& file, hive_node_h node, uint16_t set, uint16_t clear);
// Overwrites four bytes of a saved hive file, little-endian.
void PatchUint32(const std::string& file, std::size_t offset, uint32_t value);

}  // namespace tornvale::testing

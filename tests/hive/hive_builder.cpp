#include "hive/hive_builder.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace tornvale::testing {
namespace {

constexpr std::size_t kBlock = 0x1000;
constexpr uint32_t kNone = 0xFFFFFFFFu;
constexpr uint32_t kRootCell = 0x20;  // first cell of the first bin
constexpr uint16_t kKeySymLink = 0x0010;

void Put16(std::vector<uint8_t>& bytes, std::size_t at, uint16_t value) {
  bytes[at] = static_cast<uint8_t>(value);
  bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}
void Put32(std::vector<uint8_t>& bytes, std::size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}
void PutText(std::vector<uint8_t>& bytes, std::size_t at, const char* text) {
  std::memcpy(bytes.data() + at, text, std::strlen(text));
}

// A self-relative security descriptor: owner Administrators, group SYSTEM,
// and a DACL granting Everyone full access, inherited by subkeys.
std::vector<uint8_t> SecurityDescriptor() {
  const std::vector<uint8_t> owner = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0};
  const std::vector<uint8_t> group = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  const std::vector<uint8_t> dacl = {2,    0, 28, 0, 1, 0, 0, 0,     // ACL header, one ACE
                                     0,    3, 20, 0,                 // allowed, OI|CI, size
                                     0x3F, 0, 0x0F, 0,               // KEY_ALL_ACCESS
                                     1,    1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};  // Everyone
  std::vector<uint8_t> sd(20);
  sd[0] = 1;
  Put16(sd, 2, 0x8004);  // self-relative, DACL present
  Put32(sd, 4, 20);
  Put32(sd, 8, static_cast<uint32_t>(20 + owner.size()));
  Put32(sd, 16, static_cast<uint32_t>(20 + owner.size() + group.size()));
  sd.insert(sd.end(), owner.begin(), owner.end());
  sd.insert(sd.end(), group.begin(), group.end());
  sd.insert(sd.end(), dacl.begin(), dacl.end());
  return sd;
}

void Check(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

std::vector<uint8_t> EmptyHiveBytes() {
  std::vector<uint8_t> bytes(2 * kBlock, 0);
  // Base block.
  PutText(bytes, 0, "regf");
  Put32(bytes, 0x04, 1);  // sequence numbers equal: cleanly written
  Put32(bytes, 0x08, 1);
  Put32(bytes, 0x14, 1);  // format 1.5
  Put32(bytes, 0x18, 5);
  Put32(bytes, 0x20, 1);  // direct memory load
  Put32(bytes, 0x24, kRootCell);
  Put32(bytes, 0x28, kBlock);  // one bin
  Put32(bytes, 0x2C, 1);
  uint32_t sum = 0;
  for (std::size_t at = 0; at < 0x1FC; at += 4) {
    sum ^= bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
           (static_cast<uint32_t>(bytes[at + 3]) << 24);
  }
  Put32(bytes, 0x1FC, sum);

  // The bin.
  const std::size_t bin = kBlock;
  PutText(bytes, bin, "hbin");
  Put32(bytes, bin + 4, 0);
  Put32(bytes, bin + 8, kBlock);

  // Root key: 80 fixed bytes and its compressed name.
  const char* rootName = "ROOT";
  const std::size_t nk = bin + kRootCell;
  const auto nkSize = static_cast<uint32_t>((80 + std::strlen(rootName) + 7) & ~std::size_t{7});
  const uint32_t skCell = kRootCell + nkSize;
  Put32(bytes, nk, static_cast<uint32_t>(-static_cast<int32_t>(nkSize)));
  PutText(bytes, nk + 4, "nk");
  Put16(bytes, nk + 6, 0x2C);  // hive entry, not deletable, compressed name
  Put32(bytes, nk + 20, kNone);  // no parent inside this hive
  Put32(bytes, nk + 32, kNone);  // subkey lists
  Put32(bytes, nk + 36, kNone);
  Put32(bytes, nk + 44, kNone);  // value list
  Put32(bytes, nk + 48, skCell);
  Put32(bytes, nk + 52, kNone);  // class name
  Put16(bytes, nk + 76, static_cast<uint16_t>(std::strlen(rootName)));
  PutText(bytes, nk + 80, rootName);

  // Its security cell, the only one, so its list links point to itself.
  const std::vector<uint8_t> sd = SecurityDescriptor();
  const std::size_t sk = bin + skCell;
  const auto skSize = static_cast<uint32_t>((24 + sd.size() + 7) & ~std::size_t{7});
  Put32(bytes, sk, static_cast<uint32_t>(-static_cast<int32_t>(skSize)));
  PutText(bytes, sk + 4, "sk");
  Put32(bytes, sk + 8, skCell);
  Put32(bytes, sk + 12, skCell);
  Put32(bytes, sk + 16, 1);  // reference count
  Put32(bytes, sk + 20, static_cast<uint32_t>(sd.size()));
  std::memcpy(bytes.data() + sk + 24, sd.data(), sd.size());

  // The rest of the bin is one free cell.
  const std::size_t freeCell = sk + skSize;
  Put32(bytes, freeCell, static_cast<uint32_t>(2 * kBlock - freeCell));
  return bytes;
}

std::vector<uint8_t> Utf16Bytes(std::u16string_view text, bool terminated) {
  std::vector<uint8_t> bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  if (terminated) bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

HiveBuilder::HiveBuilder(std::string file) : file_(std::move(file)) {
  const std::vector<uint8_t> empty = EmptyHiveBytes();
  std::ofstream out(file_, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(empty.data()), static_cast<std::streamsize>(empty.size()));
  out.close();
  Check(static_cast<bool>(out), "writing " + file_);
  hive_ = hivex_open(file_.c_str(), HIVEX_OPEN_WRITE);
  Check(hive_ != nullptr, "opening " + file_);
}

HiveBuilder::HiveBuilder(std::string file, Existing) : file_(std::move(file)) {
  hive_ = hivex_open(file_.c_str(), HIVEX_OPEN_WRITE);
  Check(hive_ != nullptr, "opening " + file_);
}

HiveBuilder::~HiveBuilder() {
  if (hive_ != nullptr) hivex_close(hive_);
}

hive_node_h HiveBuilder::Key(const std::string& path) {
  hive_node_h node = hivex_root(hive_);
  std::size_t at = 0;
  while (at < path.size()) {
    std::size_t end = path.find('\\', at);
    if (end == std::string::npos) end = path.size();
    const std::string name = path.substr(at, end - at);
    at = end + 1;
    hive_node_h child = hivex_node_get_child(hive_, node, name.c_str());
    if (child == 0) child = hivex_node_add_child(hive_, node, name.c_str());
    Check(child != 0, "adding key " + name);
    node = child;
  }
  return node;
}

void HiveBuilder::Value(const std::string& path, const std::string& name, uint32_t type,
                        std::vector<uint8_t> data) {
  values_[Key(path)].push_back(PendingValue{name, type, std::move(data)});
}

void HiveBuilder::StringValue(const std::string& path, const std::string& name, uint32_t type,
                              std::u16string_view text) {
  Value(path, name, type, Utf16Bytes(text, true));
}

hive_node_h HiveBuilder::Link(const std::string& path, std::u16string_view target) {
  Value(path, "SymbolicLinkValue", hive_t_REG_LINK, Utf16Bytes(target, false));
  const hive_node_h node = Key(path);
  links_.push_back(node);
  return node;
}

void HiveBuilder::Save() {
  for (auto& [node, pending] : values_) {
    std::vector<hive_set_value> values;
    for (PendingValue& value : pending) {
      values.push_back(hive_set_value{value.name.data(), static_cast<hive_type>(value.type),
                                      value.data.size(),
                                      reinterpret_cast<char*>(value.data.data())});
    }
    Check(hivex_node_set_values(hive_, node, values.size(), values.data(), 0) == 0,
          "setting values");
  }
  Check(hivex_commit(hive_, nullptr, 0) == 0, "committing " + file_);
  hivex_close(hive_);
  hive_ = nullptr;
  for (hive_node_h node : links_) PatchKeyFlags(file_, node, kKeySymLink, 0);
}

void PatchKeyFlags(const std::string& file, hive_node_h node, uint16_t set, uint16_t clear) {
  std::fstream io(file, std::ios::binary | std::ios::in | std::ios::out);
  uint8_t flags[2] = {};
  io.seekg(static_cast<std::streamoff>(node + 6));
  io.read(reinterpret_cast<char*>(flags), 2);
  uint16_t value = static_cast<uint16_t>(flags[0] | (flags[1] << 8));
  value = static_cast<uint16_t>((value | set) & ~clear);
  flags[0] = static_cast<uint8_t>(value);
  flags[1] = static_cast<uint8_t>(value >> 8);
  io.seekp(static_cast<std::streamoff>(node + 6));
  io.write(reinterpret_cast<const char*>(flags), 2);
  Check(static_cast<bool>(io), "patching " + file);
}

void PatchUint32(const std::string& file, std::size_t offset, uint32_t value) {
  std::fstream io(file, std::ios::binary | std::ios::in | std::ios::out);
  uint8_t bytes[4];
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
  io.seekp(static_cast<std::streamoff>(offset));
  io.write(reinterpret_cast<const char*>(bytes), 4);
  Check(static_cast<bool>(io), "patching " + file);
}

}  // namespace tornvale::testing

#include "offline/hive_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "offline/base_block.h"
#include "platform/linux/key_name.h"
#include "platform/linux/utf16le.h"

namespace tornvale {
namespace {

// Field offsets from the start of a cell (its 4-byte size comes first).
constexpr std::size_t kKeyFlags = 6;
constexpr std::size_t kKeyNameLength = 76;
constexpr std::size_t kKeyName = 80;
constexpr std::size_t kValueNameLength = 6;
constexpr std::size_t kValueType = 16;
constexpr std::size_t kValueFlags = 20;
constexpr std::size_t kValueName = 24;
constexpr uint16_t kKeyCompressedName = 0x0020;
constexpr uint16_t kValueCompressedName = 0x0001;

// hivex reports every structural fault with a generic errno, so the base
// block is checked here first to name the usual faults plainly.
bool ExplainBaseBlock(const uint8_t* bytes, std::size_t size, std::string* reason) {
  // `bytes` holds the file's first min(size, kBaseBlockSize) bytes.
  if (size < 4 || std::memcmp(bytes, "regf", 4) != 0) {
    *reason = size == 0 ? "not a registry hive (empty file)" : "not a registry hive";
    return false;
  }
  if (size < kBaseBlockSize) {
    *reason = "truncated (the base block is incomplete)";
    return false;
  }
  if (BaseBlockChecksum(bytes) != ReadLe32(bytes + 0x1FC)) {
    *reason = "corrupt (base block checksum does not match)";
    return false;
  }
  if (ReadLe32(bytes + 0x14) != 1) {
    *reason = "unsupported hive format version " + std::to_string(ReadLe32(bytes + 0x14));
    return false;
  }
  const uint64_t binsEnd = kBaseBlockSize + static_cast<uint64_t>(ReadLe32(bytes + 0x28));
  if (binsEnd > size) {
    *reason = "truncated (hive data ends at byte " + std::to_string(binsEnd) + ", file has " +
              std::to_string(size) + ")";
    return false;
  }
  return true;
}

}  // namespace

std::u16string DecodeStoredName(const uint8_t* bytes, std::size_t length, bool compressed) {
  if (!compressed) return DecodeUtf16Le(bytes, length);
  return std::u16string(bytes, bytes + length);
}

std::unique_ptr<HiveFile> HiveFile::Open(const std::string& path, std::string* reason) {
  // Non-blocking, so that a FIFO named like a hive is refused below instead
  // of waiting for a writer that never comes.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    *reason = errno == ENOENT ? "file not found" : std::strerror(errno);
    return nullptr;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    *reason = "not a regular file";
    ::close(fd);
    return nullptr;
  }
  const auto size = static_cast<std::size_t>(info.st_size);
  if (size > UINT32_MAX) {
    *reason = "too large for a registry hive";
    ::close(fd);
    return nullptr;
  }
  std::vector<uint8_t> head(std::min(size, kBaseBlockSize));
  const bool readHead = ::pread(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size());
  if (!readHead || !ExplainBaseBlock(head.data(), size, reason)) {
    if (!readHead) *reason = std::strerror(errno);
    ::close(fd);
    return nullptr;
  }
  std::unique_ptr<HiveFile> file(new HiveFile());
  file->hive_ = hivex_open(path.c_str(), 0);
  if (file->hive_ == nullptr) {
    *reason = std::string("corrupt (libhivex: ") + std::strerror(errno) + ")";
    ::close(fd);
    return nullptr;
  }
  // The record fields libhivex does not expose are read from a view of our
  // own. A shared read-only mapping uses the same page cache as libhivex's
  // reading, so the hive is in memory once.
  void* view = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
  if (view == MAP_FAILED) {
    *reason = std::strerror(errno);
    ::close(fd);
    return nullptr;
  }
  file->bytes_ = static_cast<const uint8_t*>(view);
  file->size_ = size;
  ::close(fd);
  const hive_node_h root = hivex_root(file->hive_);
  if (root == 0 || root > UINT32_MAX) {
    *reason = "corrupt (no root key)";
    return nullptr;
  }
  file->root_ = static_cast<HiveNode>(root);
  return file;
}

HiveFile::~HiveFile() {
  if (hive_ != nullptr) hivex_close(hive_);
  if (bytes_ != nullptr) ::munmap(const_cast<uint8_t*>(bytes_), size_);
}

const uint8_t* HiveFile::Cell(std::size_t offset, const char id[2], std::size_t fixedSize,
                              std::size_t* cellLength) const {
  if (offset < kBaseBlockSize || offset % 4 != 0 || offset > size_ || size_ - offset < fixedSize) {
    return nullptr;
  }
  const uint8_t* cell = bytes_ + offset;
  const auto declared = static_cast<int32_t>(ReadLe32(cell));
  if (declared >= 0) return nullptr;  // a free cell
  const std::size_t length = std::min<std::size_t>(0u - static_cast<uint32_t>(declared),
                                                   size_ - offset);
  if (length < fixedSize || cell[4] != id[0] || cell[5] != id[1]) return nullptr;
  *cellLength = length;
  return cell;
}

uint16_t HiveFile::KeyFlags(HiveNode node) const {
  std::size_t length = 0;
  const uint8_t* cell = Cell(node, "nk", kKeyName, &length);
  return cell == nullptr ? 0 : ReadLe16(cell + kKeyFlags);
}

HiveFile::NameBytes HiveFile::StoredKeyName(HiveNode node) const {
  std::size_t length = 0;
  const uint8_t* cell = Cell(node, "nk", kKeyName, &length);
  if (cell == nullptr) return {};
  const std::size_t stored = std::min<std::size_t>(ReadLe16(cell + kKeyNameLength), length - kKeyName);
  return {cell + kKeyName, stored, (ReadLe16(cell + kKeyFlags) & kKeyCompressedName) != 0};
}

std::u16string HiveFile::KeyName(HiveNode node) const {
  const NameBytes name = StoredKeyName(node);
  return DecodeStoredName(name.bytes, name.length, name.compressed);
}

bool HiveFile::KeyNameMatches(HiveNode node, std::u16string_view name) const {
  const NameBytes stored = StoredKeyName(node);
  const std::size_t units = stored.compressed ? stored.length : stored.length / 2;
  if (units != name.size()) return false;
  for (std::size_t i = 0; i < units; ++i) {
    const char16_t unit = stored.compressed ? stored.bytes[i] : ReadLe16(stored.bytes + 2 * i);
    if (unit != name[i] && UpcaseKeyChar(unit) != UpcaseKeyChar(name[i])) return false;
  }
  return true;
}

bool HiveFile::ValueType(hive_value_h value, uint32_t* type) const {
  std::size_t length = 0;
  const uint8_t* cell = Cell(value, "vk", kValueName, &length);
  if (cell == nullptr) return false;
  *type = ReadLe32(cell + kValueType);
  return true;
}

bool HiveFile::ValueName(hive_value_h value, std::u16string* name) const {
  std::size_t length = 0;
  const uint8_t* cell = Cell(value, "vk", kValueName, &length);
  if (cell == nullptr) return false;
  const std::size_t stored = std::min<std::size_t>(ReadLe16(cell + kValueNameLength),
                                                   length - kValueName);
  const bool compressed = (ReadLe16(cell + kValueFlags) & kValueCompressedName) != 0;
  *name = DecodeStoredName(cell + kValueName, stored, compressed);
  return true;
}

}  // namespace tornvale

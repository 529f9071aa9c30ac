// make_bench_hive VOLUME [FANOUT DEPTH]: writes a large SOFTWARE hive below
// VOLUME/Windows/System32/config for timing the offline walk. Writing a
// million keys through libhivex's write calls takes hours (each insertion
// rescans its siblings), so this writes the cells directly, laid out as
// Windows lays them: lh lists of at most 500 entries under an ri index.
//
// Layout: "Wide" holds 50,000 subkeys; "Tree" is a full tree of FANOUT
// subkeys per key, DEPTH levels deep; every 400th key is a link to a key of
// "Wide", and every 10th key holds a REG_DWORD. Prints the number of keys.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;
constexpr std::size_t kListChunk = 500;

struct Node {
  std::string name;
  std::vector<uint32_t> children;  // node indices
};

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

class HiveWriter {
 public:
  HiveWriter() : bytes_(0x1000, 0) { NewBin(0x1000); }

  // Allocates a cell of `size` bytes (with its size field) and answers its
  // offset relative to the first bin, as hive offsets are stored.
  uint32_t Cell(std::size_t size) {
    size = (size + 7) & ~std::size_t{7};
    if (binUsed_ + size > binSize_) {
      CloseBin();
      NewBin(std::max<std::size_t>(0x1000, (size + 32 + 0xFFF) & ~std::size_t{0xFFF}));
    }
    const std::size_t at = binStart_ + binUsed_;
    binUsed_ += size;
    Put32(at, static_cast<uint32_t>(-static_cast<int32_t>(size)));
    return static_cast<uint32_t>(at - 0x1000);
  }

  void Put16(std::size_t at, uint16_t v) { std::memcpy(&bytes_[at], &v, 2); }
  void Put32(std::size_t at, uint32_t v) { std::memcpy(&bytes_[at], &v, 4); }
  void PutBytes(std::size_t at, const void* data, std::size_t n) { std::memcpy(&bytes_[at], data, n); }
  // File offset of a cell's first byte.
  static std::size_t At(uint32_t cell) { return std::size_t{cell} + 0x1000; }

  std::vector<uint8_t> Finish(uint32_t root) {
    CloseBin();
    std::memcpy(&bytes_[0], "regf", 4);
    Put32(4, 1);
    Put32(8, 1);
    Put32(0x14, 1);
    Put32(0x18, 5);
    Put32(0x20, 1);
    Put32(0x24, root);
    Put32(0x28, static_cast<uint32_t>(bytes_.size() - 0x1000));
    Put32(0x2C, 1);
    uint32_t sum = 0;
    for (std::size_t at = 0; at < 0x1FC; at += 4) {
      uint32_t v;
      std::memcpy(&v, &bytes_[at], 4);
      sum ^= v;
    }
    Put32(0x1FC, sum);
    return std::move(bytes_);
  }

 private:
  void NewBin(std::size_t size) {
    binStart_ = bytes_.size();
    bytes_.resize(binStart_ + size, 0);
    std::memcpy(&bytes_[binStart_], "hbin", 4);
    Put32(binStart_ + 4, static_cast<uint32_t>(binStart_ - 0x1000));
    Put32(binStart_ + 8, static_cast<uint32_t>(size));
    binSize_ = size;
    binUsed_ = 32;
  }
  void CloseBin() {
    if (binUsed_ < binSize_) Put32(binStart_ + binUsed_, static_cast<uint32_t>(binSize_ - binUsed_));
  }

  std::vector<uint8_t> bytes_;
  std::size_t binStart_ = 0, binSize_ = 0, binUsed_ = 0;
};

class BenchHive {
 public:
  BenchHive(int fanout, int depth) {
    nodes_.push_back({"ROOT", {}});
    const uint32_t wide = Add(0, "Wide");
    for (int i = 0; i < 50000; ++i) Add(wide, "Key " + std::to_string(i));
    Grow(Add(0, "Tree"), fanout, depth);
  }

  std::size_t KeyCount() const { return nodes_.size(); }

  std::vector<uint8_t> Write() {
    sk_ = WriteSecurity();
    const uint32_t root = WriteKey(0, kNone);
    return writer_.Finish(root);
  }

 private:
  uint32_t Add(uint32_t parent, std::string name) {
    nodes_.push_back({std::move(name), {}});
    const auto index = static_cast<uint32_t>(nodes_.size() - 1);
    nodes_[parent].children.push_back(index);
    return index;
  }
  void Grow(uint32_t node, int fanout, int depth) {
    if (depth == 0) return;
    for (int i = 0; i < fanout; ++i) {
      Grow(Add(node, "Level" + std::to_string(depth) + " Item " + std::to_string(i)), fanout,
           depth - 1);
    }
  }

  uint32_t WriteSecurity() {
    static const uint8_t sd[20] = {1, 0, 4, 0x80};  // self-relative, NULL DACL
    const uint32_t cell = writer_.Cell(24 + sizeof sd);
    const std::size_t at = HiveWriter::At(cell);
    writer_.PutBytes(at + 4, "sk", 2);
    writer_.Put32(at + 8, cell);
    writer_.Put32(at + 12, cell);
    writer_.Put32(at + 16, static_cast<uint32_t>(nodes_.size()));
    writer_.Put32(at + 20, sizeof sd);
    writer_.PutBytes(at + 24, sd, sizeof sd);
    return cell;
  }

  uint32_t WriteValue(const char* name, uint32_t type, const std::vector<uint8_t>& data) {
    const std::size_t nameLength = std::strlen(name);
    const uint32_t cell = writer_.Cell(24 + nameLength);
    std::size_t at = HiveWriter::At(cell);
    writer_.PutBytes(at + 4, "vk", 2);
    writer_.Put16(at + 6, static_cast<uint16_t>(nameLength));
    writer_.Put32(at + 16, type);
    writer_.Put16(at + 20, 1);  // compressed name
    writer_.PutBytes(at + 24, name, nameLength);
    if (data.size() <= 4) {
      writer_.Put32(at + 8, static_cast<uint32_t>(data.size()) | 0x80000000u);
      writer_.PutBytes(at + 12, data.data(), data.size());
      return cell;
    }
    const uint32_t dataCell = writer_.Cell(4 + data.size());
    at = HiveWriter::At(cell);
    writer_.Put32(at + 8, static_cast<uint32_t>(data.size()));
    writer_.Put32(at + 12, dataCell);
    writer_.PutBytes(HiveWriter::At(dataCell) + 4, data.data(), data.size());
    return cell;
  }

  uint32_t WriteKey(uint32_t index, uint32_t parentCell) {
    const Node& node = nodes_[index];
    const uint32_t cell = writer_.Cell(80 + node.name.size());
    std::size_t at = HiveWriter::At(cell);
    writer_.PutBytes(at + 4, "nk", 2);
    const bool link = index % 400 == 399;
    uint16_t flags = 0x20;  // compressed name
    if (index == 0) flags |= 0x0C;
    if (link) flags |= 0x10;
    writer_.Put16(at + 6, flags);
    writer_.Put32(at + 20, parentCell);
    writer_.Put32(at + 32, kNone);
    writer_.Put32(at + 36, kNone);
    writer_.Put32(at + 44, kNone);
    writer_.Put32(at + 48, sk_);
    writer_.Put32(at + 52, kNone);
    writer_.Put16(at + 76, static_cast<uint16_t>(node.name.size()));
    writer_.PutBytes(at + 80, node.name.data(), node.name.size());

    std::vector<uint32_t> values;
    if (link) {
      const std::string target = "\\REGISTRY\\MACHINE\\SOFTWARE\\Wide\\Key " + std::to_string(index % 50000);
      std::vector<uint8_t> data;
      for (char c : target) data.insert(data.end(), {static_cast<uint8_t>(c), 0});
      values.push_back(WriteValue("SymbolicLinkValue", 6, data));
    } else if (index % 10 == 0) {
      values.push_back(WriteValue("Number", 4, {1, 2, 3, 4}));
    }
    if (!values.empty()) {
      const uint32_t list = writer_.Cell(4 + 4 * values.size());
      for (std::size_t i = 0; i < values.size(); ++i) {
        writer_.Put32(HiveWriter::At(list) + 4 + 4 * i, values[i]);
      }
      at = HiveWriter::At(cell);
      writer_.Put32(at + 40, static_cast<uint32_t>(values.size()));
      writer_.Put32(at + 44, list);
    }

    // Subkeys sorted by upper-cased name, as Windows keeps them.
    std::vector<std::pair<std::string, uint32_t>> sorted;
    for (uint32_t child : node.children) sorted.emplace_back(Upper(nodes_[child].name), child);
    std::sort(sorted.begin(), sorted.end());
    std::vector<uint32_t> childCells;
    for (const auto& entry : sorted) childCells.push_back(WriteKey(entry.second, cell));
    if (childCells.empty()) return cell;

    std::vector<uint32_t> lists;
    for (std::size_t first = 0; first < childCells.size(); first += kListChunk) {
      const std::size_t count = std::min(kListChunk, childCells.size() - first);
      const uint32_t list = writer_.Cell(8 + 8 * count);
      const std::size_t lat = HiveWriter::At(list);
      writer_.PutBytes(lat + 4, "lh", 2);
      writer_.Put16(lat + 6, static_cast<uint16_t>(count));
      for (std::size_t i = 0; i < count; ++i) {
        uint32_t hash = 0;
        for (char c : sorted[first + i].first) hash = hash * 37 + static_cast<uint8_t>(c);
        writer_.Put32(lat + 8 + 8 * i, childCells[first + i]);
        writer_.Put32(lat + 12 + 8 * i, hash);
      }
      lists.push_back(list);
    }
    uint32_t top = lists[0];
    if (lists.size() > 1) {
      top = writer_.Cell(8 + 4 * lists.size());
      const std::size_t rat = HiveWriter::At(top);
      writer_.PutBytes(rat + 4, "ri", 2);
      writer_.Put16(rat + 6, static_cast<uint16_t>(lists.size()));
      for (std::size_t i = 0; i < lists.size(); ++i) writer_.Put32(rat + 8 + 4 * i, lists[i]);
    }
    at = HiveWriter::At(cell);
    writer_.Put32(at + 24, static_cast<uint32_t>(childCells.size()));
    writer_.Put32(at + 32, top);
    return cell;
  }

  std::vector<Node> nodes_;
  HiveWriter writer_;
  uint32_t sk_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) {
    std::fprintf(stderr, "usage: make_bench_hive VOLUME [FANOUT DEPTH]\n");
    return 1;
  }
  const int fanout = argc == 4 ? std::atoi(argv[2]) : 10;
  const int depth = argc == 4 ? std::atoi(argv[3]) : 6;
  BenchHive hive(fanout, depth);
  const std::vector<uint8_t> bytes = hive.Write();
  const std::filesystem::path folder = std::filesystem::path(argv[1]) / "Windows/System32/config";
  std::filesystem::create_directories(folder);
  std::ofstream out(folder / "SOFTWARE", std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  std::printf("%zu\n", hive.KeyCount());
  return out ? 0 : 2;
}

#include "pe_image.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

struct Section {
  uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  template <typename T>
  T At(std::size_t offset) const {
    if (offset + sizeof(T) > bytes_.size()) throw std::runtime_error("read past end of file");
    T value;
    std::memcpy(&value, bytes_.data() + offset, sizeof(T));
    return value;
  }
  std::size_t Offset(uint32_t rva) const {
    for (const Section& s : sections)
      if (rva >= s.virtualAddress && rva < s.virtualAddress + std::max(s.virtualSize, s.rawSize))
        return s.rawOffset + (rva - s.virtualAddress);
    throw std::runtime_error("address outside every section");
  }
  std::string CString(std::size_t offset) const {
    std::string text;
    for (char c; (c = At<char>(offset)) != '\0'; ++offset) text += c;
    return text;
  }
  std::vector<Section> sections;

 private:
  const std::vector<uint8_t>& bytes_;
};

void ReadResources(const Reader& r, std::size_t base, PeImage& image) {
  // Three levels: type, name, language. High bit of an offset: subdirectory.
  auto entries = [&](std::size_t dir) {
    const uint16_t named = r.At<uint16_t>(dir + 12);
    const uint16_t ids = r.At<uint16_t>(dir + 14);
    std::vector<std::pair<uint32_t, uint32_t>> list;
    for (std::size_t i = 0; i < std::size_t(named) + ids; ++i)
      list.emplace_back(r.At<uint32_t>(dir + 16 + i * 8), r.At<uint32_t>(dir + 20 + i * 8));
    return list;
  };
  for (auto [type, typeDir] : entries(base)) {
    if (!(typeDir & 0x80000000u)) throw std::runtime_error("type entry is not a directory");
    for (auto [name, nameDir] : entries(base + (typeDir & 0x7fffffffu))) {
      if (!(nameDir & 0x80000000u)) throw std::runtime_error("name entry is not a directory");
      for (auto [language, leaf] : entries(base + (nameDir & 0x7fffffffu))) {
        if (leaf & 0x80000000u) throw std::runtime_error("language entry is a directory");
        PeResource resource;
        resource.named = ((type | name | language) & 0x80000000u) != 0;
        resource.type = type;
        resource.id = name;
        resource.language = language;
        const uint32_t rva = r.At<uint32_t>(base + leaf);
        const uint32_t size = r.At<uint32_t>(base + leaf + 4);
        const std::size_t at = r.Offset(rva);
        if (at + size > image.bytes.size()) throw std::runtime_error("resource past end of file");
        resource.data.assign(image.bytes.begin() + at, image.bytes.begin() + at + size);
        image.resources.push_back(std::move(resource));
      }
    }
  }
}

}  // namespace

PeImage ReadPeImage(const std::wstring& path) {
  PeImage image;
  std::ifstream file(path.c_str(), std::ios::binary);
  if (!file) throw std::runtime_error("cannot open image");
  image.bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  Reader r(image.bytes);
  if (r.At<uint16_t>(0) != 0x5a4d) throw std::runtime_error("no MZ signature");
  const std::size_t pe = r.At<uint32_t>(0x3c);
  if (r.At<uint32_t>(pe) != 0x00004550) throw std::runtime_error("no PE signature");
  const std::size_t fileHeader = pe + 4;
  image.header.machine = r.At<uint16_t>(fileHeader);
  const uint16_t sectionCount = r.At<uint16_t>(fileHeader + 2);
  const uint16_t optionalSize = r.At<uint16_t>(fileHeader + 16);
  const std::size_t opt = fileHeader + 20;
  PeHeader& h = image.header;
  h.magic = r.At<uint16_t>(opt);
  h.osMajor = r.At<uint16_t>(opt + 40);
  h.osMinor = r.At<uint16_t>(opt + 42);
  h.subsystemMajor = r.At<uint16_t>(opt + 48);
  h.subsystemMinor = r.At<uint16_t>(opt + 50);
  h.subsystem = r.At<uint16_t>(opt + 68);
  const std::size_t directories = opt + (h.magic == 0x20b ? 112 : 96);
  for (std::size_t i = 0; i < sectionCount; ++i) {
    const std::size_t s = opt + optionalSize + i * 40;
    r.sections.push_back({r.At<uint32_t>(s + 12), r.At<uint32_t>(s + 8), r.At<uint32_t>(s + 20),
                          r.At<uint32_t>(s + 16)});
  }
  const uint32_t importRva = r.At<uint32_t>(directories + 8);
  if (importRva != 0) {
    for (std::size_t d = r.Offset(importRva);; d += 20) {
      const uint32_t nameRva = r.At<uint32_t>(d + 12);
      if (nameRva == 0) break;
      image.importedDlls.push_back(r.CString(r.Offset(nameRva)));
    }
  }
  const uint32_t resourceRva = r.At<uint32_t>(directories + 16);
  if (resourceRva != 0) ReadResources(r, r.Offset(resourceRva), image);
  return image;
}

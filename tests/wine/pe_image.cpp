#include "pe_image.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
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
  // Three levels: type, name, language. A set high bit of an entry's offset
  // (DataIsDirectory) marks a subdirectory.
  auto entries = [&](std::size_t dir) {
    const auto header = r.At<IMAGE_RESOURCE_DIRECTORY>(dir);
    std::vector<std::pair<uint32_t, uint32_t>> list;
    const std::size_t count = std::size_t(header.NumberOfNamedEntries) + header.NumberOfIdEntries;
    for (std::size_t i = 0; i < count; ++i) {
      const auto entry = r.At<IMAGE_RESOURCE_DIRECTORY_ENTRY>(
          dir + sizeof(IMAGE_RESOURCE_DIRECTORY) + i * sizeof(IMAGE_RESOURCE_DIRECTORY_ENTRY));
      list.emplace_back(entry.Name, entry.OffsetToData);
    }
    return list;
  };
  constexpr uint32_t kDirectory = IMAGE_RESOURCE_DATA_IS_DIRECTORY;
  for (auto [type, typeDir] : entries(base)) {
    if (!(typeDir & kDirectory)) throw std::runtime_error("type entry is not a directory");
    for (auto [name, nameDir] : entries(base + (typeDir & ~kDirectory))) {
      if (!(nameDir & kDirectory)) throw std::runtime_error("name entry is not a directory");
      for (auto [language, leaf] : entries(base + (nameDir & ~kDirectory))) {
        if (leaf & kDirectory) throw std::runtime_error("language entry is a directory");
        PeResource resource;
        resource.named = ((type | name | language) & IMAGE_RESOURCE_NAME_IS_STRING) != 0;
        resource.type = type;
        resource.id = name;
        resource.language = language;
        const auto data = r.At<IMAGE_RESOURCE_DATA_ENTRY>(base + leaf);
        const std::size_t at = r.Offset(data.OffsetToData);
        if (at + data.Size > image.bytes.size())
          throw std::runtime_error("resource past end of file");
        resource.data.assign(image.bytes.begin() + at, image.bytes.begin() + at + data.Size);
        image.resources.push_back(std::move(resource));
      }
    }
  }
}

// The optional header's fields this reads sit alike in the 32-bit and the
// 64-bit form; only their offsets differ.
template <typename NtHeaders>
void ReadHeaders(Reader& r, std::size_t pe, PeImage& image) {
  const auto nt = r.At<NtHeaders>(pe);
  PeHeader& h = image.header;
  h.machine = nt.FileHeader.Machine;
  h.magic = nt.OptionalHeader.Magic;
  h.osMajor = nt.OptionalHeader.MajorOperatingSystemVersion;
  h.osMinor = nt.OptionalHeader.MinorOperatingSystemVersion;
  h.subsystemMajor = nt.OptionalHeader.MajorSubsystemVersion;
  h.subsystemMinor = nt.OptionalHeader.MinorSubsystemVersion;
  h.subsystem = nt.OptionalHeader.Subsystem;
  const std::size_t sections =
      pe + offsetof(NtHeaders, OptionalHeader) + nt.FileHeader.SizeOfOptionalHeader;
  for (std::size_t i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
    const auto s = r.At<IMAGE_SECTION_HEADER>(sections + i * sizeof(IMAGE_SECTION_HEADER));
    r.sections.push_back(
        {s.VirtualAddress, s.Misc.VirtualSize, s.PointerToRawData, s.SizeOfRawData});
  }
  const auto& directories = nt.OptionalHeader.DataDirectory;
  const uint32_t importRva = directories[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  if (importRva != 0) {
    for (std::size_t d = r.Offset(importRva);; d += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
      const auto import = r.At<IMAGE_IMPORT_DESCRIPTOR>(d);
      if (import.Name == 0) break;
      image.importedDlls.push_back(r.CString(r.Offset(import.Name)));
    }
  }
  const uint32_t resourceRva = directories[IMAGE_DIRECTORY_ENTRY_RESOURCE].VirtualAddress;
  if (resourceRva != 0) ReadResources(r, r.Offset(resourceRva), image);
}

}  // namespace

PeImage ReadPeImage(const std::wstring& path) {
  PeImage image;
  std::ifstream file(path.c_str(), std::ios::binary);
  if (!file) throw std::runtime_error("cannot open image");
  image.bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  Reader r(image.bytes);
  const auto dos = r.At<IMAGE_DOS_HEADER>(0);
  if (dos.e_magic != IMAGE_DOS_SIGNATURE) throw std::runtime_error("no MZ signature");
  const std::size_t pe = static_cast<uint32_t>(dos.e_lfanew);
  if (r.At<uint32_t>(pe) != IMAGE_NT_SIGNATURE) throw std::runtime_error("no PE signature");
  const uint16_t magic = r.At<IMAGE_NT_HEADERS32>(pe).OptionalHeader.Magic;
  if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC)
    ReadHeaders<IMAGE_NT_HEADERS32>(r, pe, image);
  else if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC)
    ReadHeaders<IMAGE_NT_HEADERS64>(r, pe, image);
  else
    throw std::runtime_error("unknown optional header");
  return image;
}

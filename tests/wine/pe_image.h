// Reads a PE file's header, imports and resource tree straight from its
// bytes, so the checks do not depend on how a loader interprets them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PeHeader {
  uint16_t machine = 0;
  uint16_t magic = 0;  // 0x10b for 32-bit images, 0x20b for 64-bit
  uint16_t osMajor = 0, osMinor = 0;
  uint16_t subsystemMajor = 0, subsystemMinor = 0;
  uint16_t subsystem = 0;
};

// One leaf of the resource tree: type, name and language are all numeric
// here (a named entry is reported with its name in namedPath).
struct PeResource {
  uint32_t type = 0;
  uint32_t id = 0;
  uint32_t language = 0;
  bool named = false;
  std::vector<uint8_t> data;
};

struct PeImage {
  std::vector<uint8_t> bytes;
  PeHeader header;
  std::vector<std::string> importedDlls;
  std::vector<PeResource> resources;  // in directory order
};

// Throws std::runtime_error with a reason when the file is not a well-formed
// image.
PeImage ReadPeImage(const std::wstring& path);

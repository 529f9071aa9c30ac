// Reads Tornvale.exe back: its header, its imports and exactly the two
// resources it must carry, byte for byte where the bytes are fixed. Both
// builds carry the same resources, OriginalFilename "Tornvale.exe"
// included; only the machine type differs (TORNVALE_MACHINE).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "pe_image.h"
#include "run_tornvale.h"

namespace {

const std::string kManifest =
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n"
    "  <trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">\r\n"
    "    <security>\r\n"
    "      <requestedPrivileges>\r\n"
    "        <requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\">"
    "</requestedExecutionLevel>\r\n"
    "      </requestedPrivileges>\r\n"
    "    </security>\r\n"
    "  </trustInfo>\r\n"
    "</assembly>";

const PeImage& Image() {
  static const PeImage image = ReadPeImage(TornvalePath());
  return image;
}

uint16_t ExpectedMachine() {
  const char* machine = std::getenv("TORNVALE_MACHINE");
  return static_cast<uint16_t>(std::strtoul(machine ? machine : "0x14c", nullptr, 16));
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// One node of a version resource: length, value length, type, key, value,
// children, each part aligned to four bytes.
struct VersionNode {
  std::wstring key;
  uint16_t type = 0;
  std::vector<uint8_t> value;
  std::vector<VersionNode> children;
};

std::size_t Align4(std::size_t n) { return (n + 3) & ~std::size_t(3); }

VersionNode ParseVersionNode(const std::vector<uint8_t>& bytes, std::size_t at, std::size_t& next) {
  auto u16 = [&](std::size_t offset) {
    if (offset + 2 > bytes.size()) throw std::runtime_error("version node past end");
    return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
  };
  VersionNode node;
  const std::size_t length = u16(at);
  const std::size_t valueLength = u16(at + 2);
  node.type = u16(at + 4);
  std::size_t p = at + 6;
  for (uint16_t c; (c = u16(p)) != 0; p += 2) node.key += static_cast<wchar_t>(c);
  p = Align4(p + 2);
  // A text value counts characters, a binary value counts bytes.
  const std::size_t valueBytes = node.type == 1 ? valueLength * 2 : valueLength;
  if (p + valueBytes > at + length) throw std::runtime_error("version value past its node");
  node.value.assign(bytes.begin() + p, bytes.begin() + p + valueBytes);
  p = Align4(p + valueBytes);
  while (p < at + length) {
    std::size_t after = 0;
    node.children.push_back(ParseVersionNode(bytes, p, after));
    p = Align4(after);
  }
  next = at + length;
  return node;
}

std::wstring TextValue(const VersionNode& node) {
  std::wstring text;
  for (std::size_t i = 0; i + 1 < node.value.size(); i += 2) {
    const wchar_t c = static_cast<wchar_t>(node.value[i] | (node.value[i + 1] << 8));
    if (c == 0) break;
    text += c;
  }
  return text;
}

const PeResource* Find(uint32_t type) {
  for (const PeResource& r : Image().resources)
    if (r.type == type) return &r;
  return nullptr;
}

}  // namespace

TEST(ExecutableHeader, IsAConsoleProgramForWindows2000) {
  const PeHeader& h = Image().header;
  EXPECT_EQ(h.machine, ExpectedMachine());
  EXPECT_EQ(h.magic, h.machine == 0x14c ? 0x10b : 0x20b);
  EXPECT_EQ(h.subsystem, 3);
  EXPECT_EQ(h.osMajor, 5);
  EXPECT_EQ(h.osMinor, 0);
  EXPECT_EQ(h.subsystemMajor, 5);
  EXPECT_EQ(h.subsystemMinor, 0);
}

TEST(ExecutableHeader, ImportsOnlySystemDlls) {
  ASSERT_FALSE(Image().importedDlls.empty());
  for (const std::string& dll : Image().importedDlls) {
    const std::string name = Lower(dll);
    EXPECT_TRUE(name == "kernel32.dll" || name == "advapi32.dll" || name == "msvcrt.dll")
        << "unexpected import " << dll;
  }
}

TEST(Resources, AreExactlyVersionAndManifest) {
  const auto& resources = Image().resources;
  ASSERT_EQ(resources.size(), 2u);
  EXPECT_FALSE(resources[0].named);
  EXPECT_EQ(resources[0].type, 16u);
  EXPECT_EQ(resources[0].id, 1u);
  EXPECT_EQ(resources[0].language, 1031u);
  EXPECT_FALSE(resources[1].named);
  EXPECT_EQ(resources[1].type, 24u);
  EXPECT_EQ(resources[1].id, 1u);
  EXPECT_EQ(resources[1].language, 1033u);
}

TEST(Resources, ManifestIsTheExactDocument) {
  ASSERT_EQ(kManifest.size(), 346u);
  const PeResource* manifest = Find(24);
  ASSERT_NE(manifest, nullptr);
  EXPECT_EQ(std::string(manifest->data.begin(), manifest->data.end()), kManifest);
}

TEST(Resources, VersionResourceLayout) {
  const PeResource* version = Find(16);
  ASSERT_NE(version, nullptr);
  std::size_t end = 0;
  const VersionNode root = ParseVersionNode(version->data, 0, end);
  EXPECT_EQ(end, version->data.size());
  EXPECT_EQ(root.key, L"VS_VERSION_INFO");

  const uint32_t fixed[13] = {0xFEEF04BD, 0x00010000, 0x00010000, 0, 0x00010000, 0, 0x17, 0,
                              4,          1,          0,          0, 0};
  ASSERT_EQ(root.value.size(), sizeof fixed);
  EXPECT_EQ(std::memcmp(root.value.data(), fixed, sizeof fixed), 0);

  ASSERT_EQ(root.children.size(), 2u);
  const VersionNode& strings = root.children[0];
  EXPECT_EQ(strings.key, L"StringFileInfo");
  ASSERT_EQ(strings.children.size(), 1u);
  const VersionNode& table = strings.children[0];
  EXPECT_EQ(table.key, L"000904b0");
  const wchar_t* expected[7][2] = {
      {L"FileDescription", L"Tornvale"},  {L"FileVersion", L"1, 0, 0, 0"},
      {L"InternalName", L"Tornvale"},     {L"LegalCopyright", L"Copyright (C) Ambrell"},
      {L"OriginalFilename", L"Tornvale.exe"}, {L"ProductName", L"Tornvale"},
      {L"ProductVersion", L"1, 0, 0, 0"}};
  ASSERT_EQ(table.children.size(), 7u);
  for (std::size_t i = 0; i < 7; ++i) {
    EXPECT_EQ(table.children[i].key, expected[i][0]);
    EXPECT_EQ(table.children[i].type, 1);
    EXPECT_EQ(TextValue(table.children[i]), expected[i][1]);
  }

  const VersionNode& vars = root.children[1];
  EXPECT_EQ(vars.key, L"VarFileInfo");
  ASSERT_EQ(vars.children.size(), 1u);
  EXPECT_EQ(vars.children[0].key, L"Translation");
  EXPECT_EQ(vars.children[0].value, (std::vector<uint8_t>{0x09, 0x00, 0xB0, 0x04}));
}

// The same answers through the system's own version API, as the file's
// properties would show them.
TEST(Resources, VersionApiReadsTheStringTable) {
  const std::wstring path = TornvalePath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_NE(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0009);
  EXPECT_EQ(translation[1], 0x04B0);

  wchar_t* text = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\000904b0\\OriginalFilename",
                             reinterpret_cast<void**>(&text), &length));
  EXPECT_EQ(std::wstring(text), L"Tornvale.exe");
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\000904b0\\ProductVersion",
                             reinterpret_cast<void**>(&text), &length));
  EXPECT_EQ(std::wstring(text), L"1, 0, 0, 0");
}

#include "hive/sample_volume.h"

#include <cstring>
#include <filesystem>

#include "hive/hive_builder.h"

namespace tornvale::testing {
namespace {

constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegLink = 6;

std::u16string Ascii(const char* text) { return std::u16string(text, text + std::strlen(text)); }

std::string Place(const std::string& root, const char* relative) {
  const std::filesystem::path path = std::filesystem::path(root) / relative;
  std::filesystem::create_directories(path.parent_path());
  return path.string();
}

void WriteSystem(const std::string& file) {
  HiveBuilder hive(file);
  hive.Value("Select", "Current", kRegDword, {1, 0, 0, 0});
  hive.StringValue("ControlSet001\\Control\\ComputerName\\ComputerName", "ComputerName", kRegSz,
                   u"SAMPLE");
  hive.Key("ControlSet001\\Hardware Profiles\\0001\\Software");
  // As a running system has it, so "...\Current\Software" reaches 0001.
  hive.Link("ControlSet001\\Hardware Profiles\\Current",
            u"\\REGISTRY\\MACHINE\\SYSTEM\\ControlSet001\\Hardware Profiles\\0001");
  hive.Link("ControlSet001\\Hardware Profiles\\0001\\Software\\Sample Link",
            u"\\REGISTRY\\MACHINE\\SOFTWARE\\Sample\\Settings");
  hive.Link("ControlSet001\\Services\\Sample Service\\Parameters",
            u"\\REGISTRY\\MACHINE\\SOFTWARE\\Sample\\Settings");
  hive.Save();
}

void WriteSoftware(const std::string& file) {
  HiveBuilder hive(file);
  const std::string profiles = "Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";
  hive.StringValue(profiles + kAliceSid, "ProfileImagePath", kRegExpandSz,
                   u"%SystemDrive%\\Users\\alice");
  hive.StringValue(profiles + kBobSid, "ProfileImagePath", kRegExpandSz, u"C:\\Users\\bob");
  hive.StringValue("Sample\\Settings", "Colour", kRegSz, u"blue");
  hive.Link("Sample\\Gone", u"\\REGISTRY\\MACHINE\\SOFTWARE\\Sample\\Nowhere");
  hive.Link("Sample\\Loop A", u"\\REGISTRY\\MACHINE\\SOFTWARE\\Sample\\Loop B");
  hive.Link("Sample\\Loop B", u"\\REGISTRY\\MACHINE\\SOFTWARE\\Sample\\Loop A");
  hive.Link("Sample\\100% Done\\\xCE\xA9mega",
            u"\\REGISTRY\\USER\\" + Ascii(kAliceSid) + u"\\Software\\Zo\u00EB");
  // A REG_LINK value in a key without the link flag: the probe reports it,
  // but a path through the key is not redirected.
  hive.Value("Sample\\Unflagged", "SymbolicLinkValue", kRegLink,
             Utf16Bytes(u"\\REGISTRY\\MACHINE\\SOFTWARE\\Sample\\Settings", false));
  hive.Key("Sample\\Unflagged\\Inside");
  hive.Save();
}

void WriteDefault(const std::string& file) {
  HiveBuilder hive(file);
  hive.StringValue("Control Panel\\International", "sCountry", kRegSz, u"Sample");
  hive.Key("Environment");
  hive.Save();
}

void WriteAlice(const std::string& file) {
  HiveBuilder hive(file);
  hive.Key("Software\\Zo\xC3\xAB\\\xE2\x82\xAC Rates");
  hive.Link("Software\\My Classes", u"\\REGISTRY\\USER\\" + Ascii(kAliceSid) + u"_Classes");
  hive.Save();
}

void WriteAliceClasses(const std::string& file) {
  HiveBuilder hive(file);
  hive.Key("CLSID\\{00000000-0000-0000-0000-000000000001}\\InprocServer32");
  hive.Link("CLSID\\Sample Link", u"\\REGISTRY\\MACHINE\\SOFTWARE\\Sample\\Settings");
  hive.Save();
}

void WriteBob(const std::string& file) {
  HiveBuilder hive(file);
  hive.Link("Software\\Back", u"\\REGISTRY\\USER\\.DEFAULT\\Control Panel");
  hive.Save();
}

}  // namespace

void WriteSampleVolume(const std::string& root) {
  WriteSystem(Place(root, kSystemHive));
  WriteSoftware(Place(root, kSoftwareHive));
  WriteDefault(Place(root, kDefaultHive));
  WriteAlice(Place(root, kAliceHive));
  WriteAliceClasses(Place(root, kAliceClassesHive));
  WriteBob(Place(root, kBobHive));
}

std::string SampleSystemLines() {
  const auto line = [](const std::string& source, const std::string& target) {
    return "\"" + source + "\" -> \"" + target + "\"\r\n";
  };
  return line("HKLM\\SYSTEM\\ControlSet001\\Hardware Profiles\\0001\\Software\\Sample Link",
              "HKLM\\SOFTWARE\\Sample\\Settings") +
         line("HKLM\\SYSTEM\\ControlSet001\\Hardware Profiles\\Current",
              "HKLM\\SYSTEM\\ControlSet001\\Hardware Profiles\\0001") +
         line("HKLM\\SYSTEM\\ControlSet001\\Services\\Sample Service\\Parameters",
              "HKLM\\SOFTWARE\\Sample\\Settings");
}

}  // namespace tornvale::testing

#include "offline/offline_volume.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <utility>

#include "offline/dirty_hive.h"
#include "platform/linux/key_name.h"
#include "platform/linux/utf16le.h"
#include "platform/platform.h"

namespace tornvale {
namespace {

constexpr DWORD kRegExpandSz = 2;

bool SameNameNoCase(const char* a, const std::string& b) {
  if (std::strlen(a) != b.size()) return false;
  for (std::size_t i = 0; i < b.size(); ++i) {
    auto fold = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 0x20 : c; };
    if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::string Join(std::string base, const std::vector<std::string>& parts) {
  for (const std::string& part : parts) base += "/" + part;
  return base;
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    uint32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

class VolumeMounter {
 public:
  VolumeMounter(std::string root, std::ostream& problems)
      : root_(std::move(root)), problems_(problems), store_(std::make_unique<HiveKeyStore>()) {}

  std::unique_ptr<HiveKeyStore> Run() {
    struct stat info {};
    if (::stat(root_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
      problems_ << "tornvale: " << root_ << ": no such folder; no hives mounted\n";
      return std::move(store_);
    }
    const std::vector<std::string> config = {"Windows", "System32", "config"};
    for (const char* name : {"SYSTEM", "SOFTWARE", "SAM", "SECURITY", "COMPONENTS"}) {
      std::vector<std::string> parts = config;
      parts.push_back(name);
      MountIfPresent(HiveKeyStore::Under::kMachine, ToU16(name), parts);
    }
    std::vector<std::string> defaultHive = config;
    defaultHive.push_back("DEFAULT");
    MountIfPresent(HiveKeyStore::Under::kUser, u".DEFAULT", defaultHive);
    MountProfiles();
    return std::move(store_);
  }

 private:
  static std::u16string ToU16(const char* ascii) {
    return std::u16string(ascii, ascii + std::strlen(ascii));
  }

  // Windows itself does without a hive that is absent, so only a hive that
  // is there but unreadable is worth a line.
  void MountIfPresent(HiveKeyStore::Under where, std::u16string name,
                      const std::vector<std::string>& parts) {
    const std::string path = FindPathNoCase(root_, parts);
    if (!path.empty()) Mount(where, std::move(name), path);
  }

  // A dirty hive is searched with its logs applied, or else as it stands,
  // which is better than not at all; either way it is named once.
  void Mount(HiveKeyStore::Under where, std::u16string name, const std::string& path) {
    std::string reason;
    PreparedHive hive(path);
    std::unique_ptr<HiveFile> file = HiveFile::Open(hive.openPath(), &reason);
    if (file == nullptr && hive.recovered()) {
      hive.GiveUpImage(reason);
      file = HiveFile::Open(path, &reason);
    }
    if (file == nullptr) {
      Report(path, hive.problem().empty() ? reason : reason + "; " + hive.problem());
      return;
    }
    if (!hive.note().empty()) problems_ << "tornvale: " << path << ": " << hive.note() << "\n";
    store_->Mount(where, std::move(name), std::move(file));
  }

  void Report(const std::string& path, const std::string& reason) {
    problems_ << "tornvale: " << path << ": " << reason << "; hive not mounted\n";
  }

  KeyId ProfileList() {
    KeyId key = HiveKeyStore::kMachine;
    for (std::u16string_view name :
         {u"SOFTWARE", u"Microsoft", u"Windows NT", u"CurrentVersion", u"ProfileList"}) {
      if (!store_->FindSubkey(key, name, &key)) return HiveKeyStore::kRegistry;
    }
    return key;
  }

  void MountProfiles() {
    const KeyId list = ProfileList();
    if (list == HiveKeyStore::kRegistry) return;
    std::vector<std::u16string> sids;
    std::u16string sid;
    for (uint32_t index = 0; store_->SubkeyAt(list, index, &sid) == SubkeyResult::kFound; ++index) {
      sids.push_back(sid);
    }
    for (const std::u16string& name : sids) MountProfile(list, name);
  }

  void MountProfile(KeyId list, const std::u16string& sid) {
    // Profile keys ending in ".bak" are leftovers Windows never loads.
    if (sid.size() > 4 && KeyNamesEqual(std::u16string_view(sid).substr(sid.size() - 4), u".bak")) {
      return;
    }
    KeyId profile = 0;
    StoredValue image;
    if (!store_->FindSubkey(list, sid, &profile) ||
        !store_->QueryValue(profile, u"ProfileImagePath", &image) ||
        (image.type != REG_SZ && image.type != kRegExpandSz)) {
      return;
    }
    std::vector<std::string> folder;
    if (!ProfileFolder(ImageText(image), &folder)) {
      Report("ProfileList\\" + ToUtf8(sid), "profile folder " + ToUtf8(ImageText(image)) +
                                                 " is not on this volume");
      return;
    }
    std::vector<std::string> userHive = folder;
    userHive.push_back("NTUSER.DAT");
    const std::string userPath = FindPathNoCase(root_, userHive);
    if (userPath.empty()) {
      Report(Join(root_, userHive), "file not found");
    } else {
      Mount(HiveKeyStore::Under::kUser, sid, userPath);
    }
    std::vector<std::string> classes = folder;
    for (const char* part : {"AppData", "Local", "Microsoft", "Windows", "UsrClass.dat"}) {
      classes.push_back(part);
    }
    MountIfPresent(HiveKeyStore::Under::kUser, sid + u"_Classes", classes);
  }

  static std::u16string ImageText(const StoredValue& value) {
    return DecodeUtf16LeText(value.data.data(), value.data.size());
  }

  // "%SystemDrive%\Users\alice", "C:\Users\alice" or "%SystemRoot%\..."
  // become folder names below the volume root.
  static bool ProfileFolder(std::u16string_view path, std::vector<std::string>* parts) {
    auto startsWith = [&path](std::u16string_view prefix) {
      return path.size() >= prefix.size() && KeyNamesEqual(path.substr(0, prefix.size()), prefix);
    };
    if (startsWith(u"%SystemDrive%")) {
      path.remove_prefix(13);
    } else if (startsWith(u"%SystemRoot%") || startsWith(u"%windir%")) {
      path.remove_prefix(path.find(u'%', 1) + 1);
      parts->push_back("Windows");
    } else if (path.size() >= 2 && path[1] == u':' && UpcaseKeyChar(path[0]) >= u'A' &&
               UpcaseKeyChar(path[0]) <= u'Z') {
      path.remove_prefix(2);
    } else {
      return false;
    }
    while (!path.empty()) {
      const std::size_t end = std::min(path.find(u'\\'), path.size());
      if (end > 0) parts->push_back(ToUtf8(path.substr(0, end)));
      path.remove_prefix(std::min(end + 1, path.size()));
    }
    return true;
  }

  std::string root_;
  std::ostream& problems_;
  std::unique_ptr<HiveKeyStore> store_;
};

}  // namespace

std::string FindPathNoCase(const std::string& base, const std::vector<std::string>& parts) {
  std::string path = base;
  for (const std::string& part : parts) {
    if (part == "." || part == "..") return {};
    const std::string exact = path + "/" + part;
    struct stat info {};
    if (::stat(exact.c_str(), &info) == 0) {
      path = exact;
      continue;
    }
    DIR* folder = ::opendir(path.c_str());
    if (folder == nullptr) return {};
    std::string match;
    while (const dirent* entry = ::readdir(folder)) {
      if (SameNameNoCase(entry->d_name, part)) {
        match = entry->d_name;
        break;
      }
    }
    ::closedir(folder);
    if (match.empty()) return {};
    path += "/" + match;
  }
  return path;
}

std::unique_ptr<HiveKeyStore> MountOfflineVolume(const std::string& volumeRoot,
                                                 std::ostream& problems) {
  return VolumeMounter(volumeRoot, problems).Run();
}

}  // namespace tornvale

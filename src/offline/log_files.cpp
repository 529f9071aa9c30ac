#include "offline/log_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tornvale {
namespace {

bool SameNameNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 0x20 : c; };
    if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> FindHiveLogs(const std::string& hivePath) {
  const std::size_t slash = hivePath.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : hivePath.substr(0, slash);
  const std::string hive = slash == std::string::npos ? hivePath : hivePath.substr(slash + 1);
  std::vector<std::string> found;
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) return found;
  std::string names[2];
  while (const dirent* entry = ::readdir(listing)) {
    for (int i = 0; i < 2; ++i) {
      if (names[i].empty() && SameNameNoCase(entry->d_name, hive + ".LOG" + std::to_string(i + 1))) {
        names[i] = entry->d_name;
      }
    }
  }
  ::closedir(listing);
  for (const std::string& name : names) {
    struct stat info {};
    const std::string path = folder + "/" + name;
    if (!name.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
      found.push_back(path);
    }
  }
  return found;
}

MappedFile::MappedFile(const std::string& path) {
  // Non-blocking, so a FIFO swapped in after the listing cannot hang the open.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error_ = std::strerror(errno);
    return;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error_ = "not a regular file";
  } else if (info.st_size > 0) {
    void* view = ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (view == MAP_FAILED) {
      error_ = std::strerror(errno);
    } else {
      bytes_ = static_cast<const uint8_t*>(view);
      size_ = static_cast<std::size_t>(info.st_size);
    }
  }
  ::close(fd);
}

MappedFile::~MappedFile() {
  if (bytes_ != nullptr) ::munmap(const_cast<uint8_t*>(bytes_), size_);
}

}  // namespace tornvale

// A hive's transaction log files: found beside the hive whatever their
// letter case, and mapped read-only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tornvale {

// The paths of `hivePath`.LOG1 and `hivePath`.LOG2 that exist, in that
// order, names matched without regard to ASCII letter case.
std::vector<std::string> FindHiveLogs(const std::string& hivePath);

// A whole file mapped read-only; empty when it cannot be opened or is empty.
class MappedFile {
 public:
  explicit MappedFile(const std::string& path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  const uint8_t* bytes() const { return bytes_; }
  std::size_t size() const { return size_; }
  // Why the file could not be read; empty when it was.
  const std::string& error() const { return error_; }

 private:
  const uint8_t* bytes_ = nullptr;
  std::size_t size_ = 0;
  std::string error_;
};

}  // namespace tornvale

// What libhivex is to open for a hive file: the file itself when it is
// clean, or, when its last write did not finish, an image in memory with
// its transaction logs applied. The hive and its logs are only read.
#pragma once

#include <string>

namespace tornvale {

class PreparedHive {
 public:
  // Reads the base block of the hive at `path` and, if it is dirty, its logs.
  explicit PreparedHive(const std::string& path);
  ~PreparedHive();
  PreparedHive(const PreparedHive&) = delete;
  PreparedHive& operator=(const PreparedHive&) = delete;

  // The file to open: `path`, or the recovered image as /proc/self/fd/N.
  const std::string& openPath() const { return openPath_; }
  bool recovered() const { return image_ >= 0; }
  // For a dirty hive, the line to report ("hive is dirty; applied ...");
  // empty for a clean one.
  const std::string& note() const { return note_; }
  // For a dirty hive nothing could be applied to, what went wrong ("its
  // logs are missing"); empty otherwise.
  const std::string& problem() const { return problem_; }

  // The recovered image turned out unreadable: fall back to the file as it stands.
  void GiveUpImage(const std::string& reason);

 private:
  void SetProblem(const std::string& problem);

  std::string path_;
  std::string openPath_;
  std::string note_;
  std::string problem_;
  int image_ = -1;
};

}  // namespace tornvale

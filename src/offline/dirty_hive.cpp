#include "offline/dirty_hive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "offline/base_block.h"
#include "offline/hive_recovery.h"
#include "offline/log_files.h"

namespace tornvale {
namespace {

constexpr std::size_t kFirstBinTimestamp = kBaseBlockSize + 20;

std::string FileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

}  // namespace

PreparedHive::PreparedHive(const std::string& path) : path_(path), openPath_(path) {
  // Non-blocking, so a FIFO in the hive's place cannot hang the open.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return;  // opening it again reports why
  struct stat info {};
  uint8_t head[kBaseBlockSize + 32] = {};
  const ssize_t got = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)
                          ? ::pread(fd, head, sizeof head, 0)
                          : -1;
  const BaseBlock base = ReadBaseBlock(head, got < 0 ? 0 : static_cast<std::size_t>(got));
  // Not a hive at all, cut short in its base block or too large for one:
  // not for the logs to mend.
  if (got < static_cast<ssize_t>(kBaseBlockSize) || !base.signature || !base.Dirty() ||
      static_cast<uint64_t>(info.st_size) > UINT32_MAX) {
    ::close(fd);
    return;
  }
  const std::size_t size = static_cast<std::size_t>(info.st_size);
  const uint64_t firstBinTimestamp =
      got >= static_cast<ssize_t>(sizeof head) ? ReadLe64(head + kFirstBinTimestamp) : 0;
  std::vector<std::unique_ptr<MappedFile>> files;
  std::vector<NamedLog> logs;
  for (const std::string& logPath : FindHiveLogs(path)) {
    files.push_back(std::make_unique<MappedFile>(logPath));
    const MappedFile& file = *files.back();
    NamedLog log{FileName(logPath), ReadHiveLog(file.bytes(), file.size())};
    if (!file.error().empty()) log.log.fault = file.error();
    logs.push_back(std::move(log));
  }
  const RecoveryPlan plan = PlanRecovery(head, kBaseBlockSize, firstBinTimestamp, logs);
  if (!plan.applies) {
    ::close(fd);
    SetProblem(plan.problem);
    return;
  }
  std::string reason;
  image_ = WriteRecoveredImage(fd, size, plan, &reason);
  ::close(fd);
  if (image_ < 0) {
    SetProblem("its logs could not be applied (" + reason + ")");
    return;
  }
  openPath_ = "/proc/self/fd/" + std::to_string(image_);
  note_ = "hive is dirty; applied " + plan.applied;
}

PreparedHive::~PreparedHive() {
  if (image_ >= 0) ::close(image_);
}

void PreparedHive::GiveUpImage(const std::string& reason) {
  if (image_ >= 0) ::close(image_);
  image_ = -1;
  openPath_ = path_;
  SetProblem("its logs could not be applied (the recovered hive is " + reason + ")");
}

void PreparedHive::SetProblem(const std::string& problem) {
  problem_ = problem;
  note_ = "hive is dirty; " + problem + ": recent changes may be absent";
}

}  // namespace tornvale

#include "offline/hive_recovery.h"

#include <sys/mman.h>
#include <sys/sendfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

namespace tornvale {
namespace {

constexpr std::size_t kFileName = 48;
constexpr std::size_t kFileNameLength = 64;

std::string Count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string JoinNotes(const std::vector<std::string>& notes, const char* separator) {
  std::string text;
  for (const std::string& note : notes) text += (text.empty() ? "" : separator) + note;
  return text;
}

bool AllZero(const uint8_t* bytes, std::size_t length) {
  return std::all_of(bytes, bytes + length, [](uint8_t b) { return b == 0; });
}

// Windows writes the hive's file name into every copy of its base block; a
// log naming another file belongs to another hive.
bool SameHive(const uint8_t* primary, const uint8_t* logBase) {
  const uint8_t* a = primary + kFileName;
  const uint8_t* b = logBase + kFileName;
  return AllZero(a, kFileNameLength) || AllZero(b, kFileNameLength) ||
         std::memcmp(a, b, kFileNameLength) == 0;
}

std::vector<uint8_t> StartingBase(const uint8_t* primary, std::size_t size, const HiveLog* from) {
  std::vector<uint8_t> block(kBaseBlockSize, 0);
  std::memcpy(block.data(), primary, std::min(size, kBaseBlockSize));
  if (from != nullptr) std::memcpy(block.data(), from->baseBytes, kLogSector);
  return block;
}

struct EntryRef {
  std::size_t log;
  std::size_t index;
};

// New-format logs: entries chained by sequence number across the files.
void PlanEntries(const uint8_t* primary, std::size_t size, const BaseBlock& hive,
                 const std::vector<NamedLog>& logs, const std::vector<std::size_t>& usable,
                 std::vector<std::string>& notes, RecoveryPlan* plan) {
  // With a corrupt base block, the newest log's copy stands in for it.
  const HiveLog* baseLog = nullptr;
  if (!hive.checksumOk) {
    for (std::size_t i : usable) {
      if (baseLog == nullptr || logs[i].log.base.primarySequence > baseLog->base.primarySequence) {
        baseLog = &logs[i].log;
      }
    }
  }
  const BaseBlock& from = baseLog != nullptr ? baseLog->base : hive;
  const uint32_t low = std::min(from.primarySequence, from.secondarySequence);
  const uint32_t high = std::max(from.primarySequence, from.secondarySequence);

  std::map<uint32_t, EntryRef> bySequence;
  for (std::size_t i : usable) {
    const std::vector<LogEntry>& entries = logs[i].log.entries;
    for (std::size_t e = 0; e < entries.size(); ++e) {
      bySequence.emplace(entries[e].sequence, EntryRef{i, e});  // LOG1 wins a tie
    }
  }
  // The first entry to apply continues the hive's last complete write.
  auto start = bySequence.lower_bound(low);
  std::vector<EntryRef> chain;
  std::string growthFault;
  if (start != bySequence.end() && start->first <= high) {
    uint32_t binsSize = from.binsSize;
    for (uint32_t sequence = start->first;; ++sequence) {
      auto found = bySequence.find(sequence);
      if (found == bySequence.end()) break;
      // The bins a write adds are all dirty, so an entry that grows the
      // hive carries them; one that does not declares a size it never wrote.
      const LogEntry& entry = logs[found->second.log].log.entries[found->second.index];
      uint32_t written = binsSize;
      for (const LogPage& page : entry.pages) written = std::max(written, page.offset + page.size);
      if (entry.binsSize > written) {
        growthFault = logs[found->second.log].name + ": entry " +
                      std::to_string(found->second.index + 1) + ": hive bins data size " +
                      std::to_string(entry.binsSize) + " beyond the pages it holds";
        break;
      }
      binsSize = entry.binsSize;
      chain.push_back(found->second);
      if (sequence == UINT32_MAX) break;
    }
  }
  std::vector<std::size_t> applied(logs.size(), 0);
  for (const EntryRef& ref : chain) ++applied[ref.log];
  const uint32_t next = chain.empty() ? low
                                      : logs[chain.back().log].log.entries[chain.back().index].sequence + 1;
  std::vector<std::string> used;
  for (std::size_t i : usable) {
    const HiveLog& log = logs[i].log;
    if (applied[i] > 0) used.push_back(logs[i].name + " (" + Count(applied[i], "entry", "entries") + ")");
    // A bad entry matters where the chain would have gone on.
    const bool stoppedHere = !log.fault.empty() &&
                             (log.entries.empty() || log.entries.back().sequence + 1 == next ||
                              applied[i] == 0);
    if (stoppedHere) {
      notes.push_back(logs[i].name + ": " + log.fault + (applied[i] > 0 ? ", ignored from there on" : ""));
    } else if (applied[i] == 0 && chain.empty()) {
      if (log.entries.empty()) {
        notes.push_back(logs[i].name + ": no log entries");
      } else if (log.entries.back().sequence < low) {
        notes.push_back(logs[i].name + ": older than the hive");
      } else {
        notes.push_back(logs[i].name + ": does not continue the hive's writes");
      }
    }
  }
  if (!growthFault.empty()) notes.push_back(growthFault + (chain.empty() ? "" : ", ignored from there on"));
  if (chain.empty()) return;
  plan->applies = true;
  plan->baseBlock = StartingBase(primary, size, baseLog);
  const LogEntry& last = logs[chain.back().log].log.entries[chain.back().index];
  plan->binsSize = last.binsSize;
  for (const EntryRef& ref : chain) {
    const LogEntry& entry = logs[ref.log].log.entries[ref.index];
    plan->writes.insert(plan->writes.end(), entry.pages.begin(), entry.pages.end());
  }
  SealBaseBlock(plan->baseBlock.data(), last.sequence, last.binsSize);
  plan->applied = JoinNotes(used, ", ");
}

// Old-format logs: one whole write each; the first that matches applies.
void PlanDirtyVector(const uint8_t* primary, std::size_t size, const BaseBlock& hive,
                     uint64_t firstBinTimestamp, const std::vector<NamedLog>& logs,
                     const std::vector<std::size_t>& usable, std::vector<std::string>& notes,
                     RecoveryPlan* plan) {
  const uint64_t timestamp = hive.checksumOk ? hive.timestamp : firstBinTimestamp;
  for (std::size_t i : usable) {
    const HiveLog& log = logs[i].log;
    if (log.base.primarySequence != log.base.secondarySequence) {
      notes.push_back(logs[i].name + ": incomplete (its own write did not finish)");
      continue;
    }
    if (log.base.timestamp != timestamp) {
      notes.push_back(logs[i].name + ": written for another state of the hive");
      continue;
    }
    const LogEntry& entry = log.entries.front();
    std::size_t pages = 0;
    uint32_t written = hive.checksumOk ? hive.binsSize : entry.binsSize;
    for (const LogPage& page : entry.pages) {
      pages += page.size / kLogSector;
      written = std::max(written, page.offset + page.size);
    }
    if (entry.binsSize > written) {
      notes.push_back(logs[i].name + ": hive bins data size " + std::to_string(entry.binsSize) +
                      " beyond the pages it holds");
      continue;
    }
    plan->applies = true;
    plan->baseBlock = StartingBase(primary, size, hive.checksumOk ? nullptr : &log);
    plan->binsSize = entry.binsSize;
    plan->writes = entry.pages;
    SealBaseBlock(plan->baseBlock.data(), log.base.primarySequence, entry.binsSize);
    plan->applied = logs[i].name + " (" + Count(pages, "page", "pages") + ")";
    return;
  }
}

}  // namespace

RecoveryPlan PlanRecovery(const uint8_t* primary, std::size_t size, uint64_t firstBinTimestamp,
                          const std::vector<NamedLog>& logs) {
  RecoveryPlan plan;
  if (logs.empty()) {
    plan.problem = "its logs are missing";
    return plan;
  }
  const BaseBlock hive = ReadBaseBlock(primary, size);
  std::vector<std::string> notes;
  std::vector<std::size_t> entryLogs;
  std::vector<std::size_t> vectorLogs;
  for (std::size_t i = 0; i < logs.size(); ++i) {
    const HiveLog& log = logs[i].log;
    if (log.format == LogFormat::kUnusable) {
      notes.push_back(logs[i].name + ": " + log.fault);
    } else if (hive.checksumOk && !SameHive(primary, log.baseBytes)) {
      notes.push_back(logs[i].name + ": belongs to another hive");
    } else {
      (log.format == LogFormat::kEntries ? entryLogs : vectorLogs).push_back(i);
    }
  }
  if (!entryLogs.empty()) PlanEntries(primary, size, hive, logs, entryLogs, notes, &plan);
  if (!plan.applies && !vectorLogs.empty()) {
    PlanDirtyVector(primary, size, hive, firstBinTimestamp, logs, vectorLogs, notes, &plan);
  }
  if (plan.applies) {
    if (!notes.empty()) plan.applied += "; " + JoinNotes(notes, "; ");
  } else {
    plan.problem = "its logs are unusable (" + JoinNotes(notes, "; ") + ")";
  }
  return plan;
}

int WriteRecoveredImage(int fd, std::size_t size, const RecoveryPlan& plan, std::string* reason) {
  const int image = ::memfd_create("tornvale-recovered-hive", MFD_CLOEXEC);
  if (image < 0) {
    *reason = std::string("cannot hold the recovered hive: ") + std::strerror(errno);
    return -1;
  }
  auto fail = [&](const char* what) {
    *reason = std::string(what) + ": " + std::strerror(errno);
    ::close(image);
    return -1;
  };
  const std::size_t imageSize = kBaseBlockSize + std::size_t{plan.binsSize};
  // The kernel copies the unchanged bulk; only the logged pages pass through here.
  std::size_t copied = 0;
  const std::size_t wanted = std::min(size, imageSize);
  while (copied < wanted) {
    off_t from = static_cast<off_t>(copied);
    const ssize_t n = ::sendfile(image, fd, &from, wanted - copied);
    if (n <= 0) break;
    copied += static_cast<std::size_t>(n);
  }
  std::vector<uint8_t> buffer;
  while (copied < wanted) {  // sendfile refused: copy by hand
    buffer.resize(1 << 20);
    const ssize_t n = ::pread(fd, buffer.data(), std::min(buffer.size(), wanted - copied),
                              static_cast<off_t>(copied));
    if (n <= 0) return fail("reading the hive");
    if (::pwrite(image, buffer.data(), static_cast<std::size_t>(n), static_cast<off_t>(copied)) != n) {
      return fail("writing the recovered hive");
    }
    copied += static_cast<std::size_t>(n);
  }
  for (const LogPage& page : plan.writes) {
    if (::pwrite(image, page.bytes, page.size, static_cast<off_t>(kBaseBlockSize + page.offset)) !=
        static_cast<ssize_t>(page.size)) {
      return fail("writing the recovered hive");
    }
  }
  // After the pages: an earlier entry of a hive that shrank may reach past
  // the final end.
  if (::ftruncate(image, static_cast<off_t>(imageSize)) != 0) return fail("sizing the recovered hive");
  if (::pwrite(image, plan.baseBlock.data(), kBaseBlockSize, 0) != static_cast<ssize_t>(kBaseBlockSize)) {
    return fail("writing the recovered hive");
  }
  return image;
}

}  // namespace tornvale

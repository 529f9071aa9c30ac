// Applying a dirty hive's transaction logs as Windows does when it loads
// the hive: which entries apply, in what order, and the recovered image,
// built in memory so the examined files stay untouched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "offline/hive_log.h"

namespace tornvale {

struct NamedLog {
  std::string name;  // the file name, for messages
  HiveLog log;
};

struct RecoveryPlan {
  bool applies = false;               // some log applies; the fields below are set
  std::vector<uint8_t> baseBlock;     // 4096 bytes, sealed
  uint32_t binsSize = 0;
  std::vector<LogPage> writes;        // in the order they are written
  std::string applied;                // "SYSTEM.LOG1 (2 entries), ..." and faults met
  std::string problem;                // when nothing applies: "its logs are missing", ...
};

// Decides how the logs apply to the dirty primary file whose first
// min(size, 4096) bytes are `primary` and whose first hive bin carries
// `firstBinTimestamp` (old-format logs are matched by it when the base
// block is corrupt). `logs` come in the order LOG1, LOG2.
RecoveryPlan PlanRecovery(const uint8_t* primary, std::size_t size, uint64_t firstBinTimestamp,
                          const std::vector<NamedLog>& logs);

// A memfd holding the primary file (`fd`, `size` bytes) with the plan
// applied; -1 with `reason` set when it cannot be made.
int WriteRecoveredImage(int fd, std::size_t size, const RecoveryPlan& plan, std::string* reason);

}  // namespace tornvale

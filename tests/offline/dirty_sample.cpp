#include "offline/dirty_sample.h"

#include "hive/sample_volume.h"
#include "hive/temp_folder.h"
#include "offline/base_block.h"
#include "offline/hive_log_writer.h"

namespace tornvale::testing {

void MakeSystemDirty(const std::string& root, LogFormat format) {
  const std::string system = root + "/" + kSystemHive;
  const std::string clean = ReadFileBytes(system);
  TempFolder scratch;
  WriteFileBytes(scratch / "SYSTEM", clean);
  {
    HiveBuilder hive(scratch / "SYSTEM", HiveBuilder::Existing{});
    hive.Key("Logged Deep\\A\\B\\C");
    hive.Save();
  }
  const std::string middle = ReadFileBytes(scratch / "SYSTEM");
  {
    HiveBuilder hive(scratch / "SYSTEM", HiveBuilder::Existing{});
    hive.Link("Logged Link", u"\\REGISTRY\\MACHINE\\SOFTWARE\\Sample\\Settings");
    hive.Save();
  }
  const std::string last = ReadFileBytes(scratch / "SYSTEM");
  const uint32_t sequence = ReadLe32(reinterpret_cast<const uint8_t*>(clean.data()) + 4);
  WriteFileBytes(system, WithBaseBlock(clean, sequence + 1, sequence));
  if (format == LogFormat::kDirtyVector) {
    WriteFileBytes(system + ".LOG1", OldFormatLog(clean, last, sequence + 1));
    return;
  }
  WriteFileBytes(system + ".LOG1", NewFormatLog(clean, sequence + 1,
                                                {LogEntryBytes(clean, middle, sequence + 1)}));
  WriteFileBytes(system + ".LOG2", NewFormatLog(middle, sequence + 2,
                                                {LogEntryBytes(middle, last, sequence + 2)}));
}

}  // namespace tornvale::testing

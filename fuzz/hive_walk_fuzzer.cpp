// libFuzzer target: opens the input as a hive file, with transaction logs
// beside it when the input carries them, and walks it the way the registry
// does (enumerate, look each subkey up by name, read its flags and its link
// value). A damaged hive or hostile logs must neither crash nor loop.
//
// Input: HIVE [SEPARATOR LOG1 [SEPARATOR LOG2]]. The hashes of LOG1's
// entries are recomputed before use, so mutations reach past the hash check
// into the page references and pages; LOG2 is taken as it comes.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "offline/dirty_hive.h"
#include "offline/marvin32.h"
#include "offline/hive_key_store.h"

namespace {

constexpr std::size_t kMaxKeys = 20000;
constexpr char kSeparator[] = "\n--TORNVALE-LOG--\n";

void Walk(tornvale::HiveKeyStore& store, tornvale::KeyId key, std::size_t* visited) {
  if (++*visited > kMaxKeys) return;
  store.Name(key);
  store.IsLink(key);
  tornvale::StoredValue value;
  store.QueryValue(key, u"SymbolicLinkValue", &value);
  std::u16string name;
  for (uint32_t index = 0;
       store.SubkeyAt(key, index, &name) == tornvale::SubkeyResult::kFound; ++index) {
    tornvale::KeyId child = 0;
    if (store.FindSubkey(key, name, &child)) Walk(store, child, visited);
  }
}

uint32_t Le32(const std::string& bytes, std::size_t at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) |
         (static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8) |
         (static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24);
}

void Put64(std::string& bytes, std::size_t at, uint64_t value) {
  for (int i = 0; i < 8; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

void RehashEntries(std::string& log) {
  for (std::size_t at = 512; log.size() >= at + 40 && log.compare(at, 4, "HvLE") == 0;) {
    const uint32_t size = Le32(log, at + 4);
    if (size < 40 || size % 512 != 0 || size > log.size() - at) return;
    const auto* bytes = reinterpret_cast<const uint8_t*>(log.data() + at);
    Put64(log, at + 24, tornvale::Marvin32(bytes + 40, size - 40, tornvale::kHiveLogSeed));
    Put64(log, at + 32, tornvale::Marvin32(bytes, 32, tornvale::kHiveLogSeed));
    at += size;
  }
}

// A folder of this process's own for the three files, removed at exit. Kept
// in a plain array: a string would be destroyed before the exit handler runs.
char scratchFolder[4096];

std::string Folder() {
  if (scratchFolder[0] == 0) {
    const char* base = std::getenv("FUZZ_SCRATCH");
    std::snprintf(scratchFolder, sizeof scratchFolder, "%s/tornvale-fuzz-XXXXXX", base ? base : "/tmp");
    if (::mkdtemp(scratchFolder) == nullptr) std::abort();
    std::atexit([] {
      for (const char* name : {"/SYSTEM", "/SYSTEM.LOG1", "/SYSTEM.LOG2"}) {
        ::unlink((std::string(scratchFolder) + name).c_str());
      }
      ::rmdir(scratchFolder);
    });
  }
  return scratchFolder;
}

void Place(const std::string& path, const std::string* bytes) {
  if (bytes == nullptr) {
    ::unlink(path.c_str());
    return;
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc) << *bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parts;
  for (std::size_t at = 0;;) {
    const std::size_t next = input.find(kSeparator, at);
    parts.push_back(input.substr(at, next == std::string::npos ? std::string::npos : next - at));
    if (next == std::string::npos || parts.size() == 3) break;
    at = next + std::strlen(kSeparator);
  }
  if (parts.size() > 1) RehashEntries(parts[1]);
  const std::string hive = Folder() + "/SYSTEM";
  Place(hive, &parts[0]);
  Place(hive + ".LOG1", parts.size() > 1 ? &parts[1] : nullptr);
  Place(hive + ".LOG2", parts.size() > 2 ? &parts[2] : nullptr);

  tornvale::PreparedHive prepared(hive);
  std::string reason;
  auto file = tornvale::HiveFile::Open(prepared.openPath(), &reason);
  if (file == nullptr && prepared.recovered()) {
    prepared.GiveUpImage(reason);
    file = tornvale::HiveFile::Open(hive, &reason);
  }
  if (file != nullptr) {
    tornvale::HiveKeyStore store;
    store.Mount(tornvale::HiveKeyStore::Under::kMachine, u"FUZZ", std::move(file));
    tornvale::KeyId root = 0;
    std::size_t visited = 0;
    if (store.FindSubkey(tornvale::HiveKeyStore::kMachine, u"FUZZ", &root)) {
      Walk(store, root, &visited);
    }
  }
  return 0;
}

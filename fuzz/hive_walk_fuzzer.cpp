// libFuzzer target: opens the input as a hive file and walks it the way the
// registry does (enumerate, look each subkey up by name, read its flags and
// its link value). A damaged hive must neither crash nor loop.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "offline/hive_key_store.h"

namespace {

constexpr std::size_t kMaxKeys = 20000;

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const int fd = memfd_create("hive", MFD_CLOEXEC);
  if (fd < 0) return 0;
  if (write(fd, data, size) == static_cast<ssize_t>(size)) {
    std::string reason;
    auto file = tornvale::HiveFile::Open("/proc/self/fd/" + std::to_string(fd), &reason);
    if (file != nullptr) {
      tornvale::HiveKeyStore store;
      store.Mount(tornvale::HiveKeyStore::Under::kMachine, u"FUZZ", std::move(file));
      tornvale::KeyId root = 0;
      std::size_t visited = 0;
      if (store.FindSubkey(tornvale::HiveKeyStore::kMachine, u"FUZZ", &root)) {
        Walk(store, root, &visited);
      }
    }
  }
  close(fd);
  return 0;
}

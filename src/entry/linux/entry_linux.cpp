// The Linux program's composition root: it decides which registry the
// substitute serves, then runs the tool. The arguments arrive as UTF-8 bytes.
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/tornvale_main.h"
#include "entry/linux/utf8_args.h"
#include "offline/offline_volume.h"
#include "platform/linux/substitute.h"

namespace {

// A Windows volume's hives when TORNVALE_OFFLINE_ROOT names one, the empty
// registry otherwise.
std::unique_ptr<tornvale::KeyStore> ChooseRegistry() {
  const char* root = std::getenv("TORNVALE_OFFLINE_ROOT");
  if (root == nullptr || *root == '\0') return tornvale::substitute::MakeEmptyRegistry();
  // Standard output carries only the tool's own lines; a hive left out is
  // told on standard error.
  return tornvale::MountOfflineVolume(root, std::cerr);
}

}  // namespace

int main(int argc, char* argv[]) {
  // A reader that went away (`tornvale ... | head`) makes a write fail, as
  // on Windows, instead of ending the process: failed writes are ignored and
  // the exit status stays the search's.
  std::signal(SIGPIPE, SIG_IGN);
  tornvale::substitute::UseKeyStore(ChooseRegistry());
  std::vector<std::u16string> arguments;
  arguments.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) arguments.push_back(tornvale::Utf8ToUtf16(argv[i]));
  std::vector<char16_t*> vector;
  for (std::u16string& argument : arguments) vector.push_back(argument.data());
  vector.push_back(nullptr);
  return tornvale::TornvaleMain(argc, vector.data());
}

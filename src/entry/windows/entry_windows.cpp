// Windows entry: the runtime's wide start-up splits the command line and
// calls wmain; the core takes char16_t strings, which wchar_t already is here.
#include <string>
#include <vector>

#include "app/tornvale_main.h"

int wmain(int argc, wchar_t** argv, wchar_t**) {
  std::vector<std::u16string> args;
  args.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) {
    const std::wstring arg(argv[i]);
    args.emplace_back(arg.begin(), arg.end());
  }
  std::vector<char16_t*> pointers;
  pointers.reserve(args.size() + 1);
  for (auto& arg : args) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  return tornvale::TornvaleMain(argc, pointers.data());
}

// The Linux program's entry: the arguments arrive as UTF-8 bytes.
#include <string>
#include <vector>

#include "app/tornvale_main.h"
#include "app/utf8_args.h"

int main(int argc, char* argv[]) {
  std::vector<std::u16string> arguments;
  arguments.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) arguments.push_back(tornvale::Utf8ToUtf16(argv[i]));
  std::vector<char16_t*> vector;
  for (std::u16string& argument : arguments) vector.push_back(argument.data());
  vector.push_back(nullptr);
  return tornvale::TornvaleMain(argc, vector.data());
}

#include "app/tornvale_main.h"

#include <string>

#include "output/output.h"
#include "native/nt_api.h"
#include "platform/platform.h"
#include "search/ascii_case.h"
#include "search/key_walk.h"

namespace tornvale {

void PrintUsage() {
  PrintNarrow("\nTornvale by Ambrell\n\n");
  PrintNarrow("Syntax:\n");
  PrintNarrow("=======\n\n");
  PrintNarrow("Tornvale.exe <Reg-Path> [-v]\n\n");
  PrintNarrow("Description:\n");
  PrintNarrow("============\n\n");
  PrintNarrow(
      "Recursively searches the registry for links (of type REG_LINK) below a given key. Each "
      "link found is displayed with its source and target keys.\n\n");
  PrintNarrow(
      "The following registry hives are supported: HKLM and HKU. The option '-v' enables output "
      "of keys that could not be processed because access was denied.\n\n");
  PrintNarrow("Example:\n");
  PrintNarrow("========\n\n");
  PrintNarrow("Tornvale.exe HKLM\\System\n\n");
  PrintNarrow("Return codes:\n");
  PrintNarrow("=============\n\n");
  PrintNarrow("0: Successful execution\n");
  PrintNarrow("1: The help screen was printed, maybe because of invalid command line arguments\n");
  PrintNarrow("2: An error occured\n");
}

int TornvaleMain(int argc, char16_t* argv[]) {
  DWORD verbose = 0;

  char16_t* commandLine = GetCommandLineW();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!AfxWinInit(instance, nullptr, commandLine, 0)) {
    PrintNarrow("ERROR: MFC initialization failed!\n");
    return 2;
  }
  if (InitNtApi() != 0) {
    PrintNarrow("ERROR: NT API initialization failed!\n");
    return 2;
  }

  if (argc != 2 && argc != 3) {
    PrintUsage();
    return 1;
  }
  for (const char16_t* helpWord : {u"-help", u"-?", u"/?"}) {
    if (EqualsIgnoringAsciiCase(argv[1], helpWord)) {
      PrintUsage();
      return 1;
    }
  }
  if (argc == 3) {
    if (!EqualsIgnoringAsciiCase(argv[2], u"-v")) {
      PrintUsage();
      return 1;
    }
    verbose = 1;
  }

  return SearchKeyForLinks(std::u16string(argv[1]), verbose) == 0 ? 0 : 2;
}

}  // namespace tornvale

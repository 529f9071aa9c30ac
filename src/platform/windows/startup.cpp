// Process start-up: the command line, and the framework initialisation step.
#include "platform/platform.h"

#include <windows.h>

char16_t* tornvale::GetCommandLineW() {
  return reinterpret_cast<char16_t*>(::GetCommandLineW());
}

// No application framework is linked: the only thing the program relies on
// is that initialisation succeeds, so this layer just says it did.
tornvale::BOOL tornvale::AfxWinInit(HINSTANCE, HINSTANCE, char16_t*, int) { return 1; }

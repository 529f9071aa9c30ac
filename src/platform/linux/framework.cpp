// Start-up services of the substitute: the command line and the application
// framework's initialisation, which only reports success or failure.
#include "platform/linux/substitute_calls.h"

namespace tornvale::substitute {

char16_t* GetCommandLineW() {
  // Nothing reads it beyond handing it to AfxWinInit.
  static char16_t commandLine[] = u"tornvale";
  return commandLine;
}

BOOL AfxWinInit(HINSTANCE, HINSTANCE, char16_t*, int) { return 1; }

}  // namespace tornvale::substitute

// Start-up services of the substitute: the command line and the application
// framework's initialisation, which only reports success or failure.
#include "platform/linux/reset_parts.h"
#include "platform/linux/substitute.h"

namespace tornvale {
namespace {

bool& FrameworkFails() {
  static bool fails = false;
  return fails;
}

}  // namespace

char16_t* GetCommandLineW() {
  // Nothing reads it beyond handing it to AfxWinInit.
  static char16_t commandLine[] = u"tornvale";
  return commandLine;
}

BOOL AfxWinInit(HINSTANCE, HINSTANCE, char16_t*, int) { return FrameworkFails() ? 0 : 1; }

namespace substitute {

void FailFrameworkInit(bool fail) { FrameworkFails() = fail; }

void ResetFramework() { FrameworkFails() = false; }

void Reset() {
  ResetRegistry();
  ResetHeap();
  ResetExports();
  ResetConsole();
  ResetFramework();
}

}  // namespace substitute
}  // namespace tornvale

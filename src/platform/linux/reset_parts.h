// Each part of the substitute puts its own state back for Reset().
#pragma once

namespace tornvale::substitute {

void ResetRegistry();
void ResetHeap();
void ResetExports();
void ResetConsole();
void ResetFramework();

}  // namespace tornvale::substitute

// The tool's main function, shared by the Windows and the Linux entry.
#pragma once

namespace tornvale {

// Returns the exit status: 0 success, 1 usage screen printed, 2 error.
int TornvaleMain(int argc, char16_t* argv[]);

void PrintUsage();

}  // namespace tornvale

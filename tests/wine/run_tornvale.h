// Runs Tornvale.exe as its own process with its output in pipes, the way a
// script would, so tests see the exact bytes and the exit status.
#pragma once

#include <string>
#include <vector>

struct RunResult {
  unsigned long status = 0;
  std::string out;  // bytes written to standard output
  std::string err;  // bytes written to standard error
};

// The program under test, from the TORNVALE_EXE environment variable.
std::wstring TornvalePath();

// Each argument is quoted as the runtime's argument splitter expects.
RunResult RunTornvale(const std::vector<std::wstring>& args);

// Runs the program with this exact command-line tail after its quoted name.
RunResult RunTornvaleRaw(const std::wstring& tail);

// Runs the program and expects this exit status, exactly these bytes on
// standard output and nothing on standard error.
void ExpectRun(const std::vector<std::wstring>& args, unsigned long status,
               const std::string& out);

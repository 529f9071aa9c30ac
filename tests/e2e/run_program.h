// Runs a program as its own process and collects what it wrote.
#pragma once

#include <string>
#include <vector>

namespace tornvale {

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `program` with `arguments` (raw bytes) and the environment given as
// NAME=VALUE entries on top of the current one.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::vector<std::string>& environment = {});

}  // namespace tornvale

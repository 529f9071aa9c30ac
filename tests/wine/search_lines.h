// The three lines a search prints, as exact bytes, and which build this is.
#pragma once

#include <string>

inline std::string LinkLine(const std::string& from, const std::string& to) {
  return "\"" + from + "\" -> \"" + to + "\"\r\n";
}
inline std::string DeniedLine(const std::string& key) {
  return "\"" + key + "\" [access denied]\r\n";
}
inline std::string ErrorLine(const std::string& key) {
  return "\"" + key + "\"\t[error while querying]\r\n";
}

// The tests are built with the program: true in the i686 build, which runs
// under WoW64 and sees the 32-bit view of HKLM\Software.
constexpr bool kBuild32 = sizeof(void*) == 4;

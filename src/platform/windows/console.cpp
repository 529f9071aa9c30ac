// Standard output as a raw handle: the output layer does its own byte
// conversion and line ends, so nothing here may translate what it writes.
#include "platform/platform.h"

#include <windows.h>

tornvale::HANDLE tornvale::GetStdHandle(DWORD which) { return ::GetStdHandle(which); }

tornvale::DWORD tornvale::GetFileType(HANDLE file) { return ::GetFileType(file); }

tornvale::BOOL tornvale::WriteFile(HANDLE file, const void* buffer, DWORD bytes, DWORD* written,
                                   void* overlapped) {
  return ::WriteFile(file, buffer, bytes, reinterpret_cast<::DWORD*>(written),
                     static_cast<::OVERLAPPED*>(overlapped));
}

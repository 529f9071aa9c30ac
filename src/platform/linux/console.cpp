// Standard output of the substitute: file descriptor 1.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/linux/substitute_calls.h"

namespace tornvale::substitute {
namespace {

HANDLE StdoutHandle() { return reinterpret_cast<HANDLE>(uintptr_t{1}); }

}  // namespace

HANDLE GetStdHandle(DWORD which) { return which == STD_OUTPUT_HANDLE ? StdoutHandle() : nullptr; }

DWORD GetFileType(HANDLE file) {
  if (file != StdoutHandle()) return FILE_TYPE_UNKNOWN;
  struct stat status;
  if (fstat(STDOUT_FILENO, &status) != 0) return FILE_TYPE_UNKNOWN;
  // A terminal, like /dev/null, is a character device, as NUL is on Windows.
  if (S_ISCHR(status.st_mode)) return FILE_TYPE_CHAR;
  if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode)) return FILE_TYPE_PIPE;
  return FILE_TYPE_DISK;
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytes, DWORD* written, void* /*overlapped*/) {
  if (written != nullptr) *written = 0;
  if (file != StdoutHandle()) return 0;
  const char* data = static_cast<const char*>(buffer);
  DWORD done = 0;
  while (done < bytes) {
    const ssize_t result = write(STDOUT_FILENO, data + done, bytes - done);
    if (result < 0 && errno == EINTR) continue;
    if (result <= 0) break;
    done += static_cast<DWORD>(result);
  }
  if (written != nullptr) *written = done;
  return done == bytes ? 1 : 0;
}

}  // namespace tornvale::substitute

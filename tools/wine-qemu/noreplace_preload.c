/* Loaded into the 32-bit Wine loader when it runs under qemu-i386.
 *
 * qemu 7.2 does not honour MAP_FIXED_NOREPLACE: when the address asked for
 * is taken it maps somewhere else and reports success. Wine reserves its
 * address space with such requests and, seeing them land elsewhere, probes
 * 64 KiB at a time, which makes every process start take about a minute.
 * Here a request that landed elsewhere is undone and answered with EEXIST,
 * as the kernel answers it. Every other call, its result and its errno
 * pass through unchanged. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/types.h>

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

typedef void *(*mmap_fn)(void *, size_t, int, int, int, off_t);
typedef void *(*mmap64_fn)(void *, size_t, int, int, int, off64_t);

/* The programs this loader starts (wineserver, other loaders) must not
 * inherit the library: they are not all 32-bit. */
__attribute__((constructor)) static void drop_from_environment(void) { unsetenv("LD_PRELOAD"); }

static void *refuse_if_moved(void *wanted, void *got, size_t length, int flags) {
  if (!(flags & MAP_FIXED_NOREPLACE) || got == MAP_FAILED || got == wanted) return got;
  munmap(got, length);
  errno = EEXIST;
  return MAP_FAILED;
}

void *mmap(void *addr, size_t length, int prot, int flags, int fd, off_t offset) {
  static mmap_fn next;
  if (!next) next = (mmap_fn)dlsym(RTLD_NEXT, "mmap");
  return refuse_if_moved(addr, next(addr, length, prot, flags, fd, offset), length, flags);
}

void *mmap64(void *addr, size_t length, int prot, int flags, int fd, off64_t offset) {
  static mmap64_fn next;
  if (!next) next = (mmap64_fn)dlsym(RTLD_NEXT, "mmap64");
  return refuse_if_moved(addr, next(addr, length, prot, flags, fd, offset), length, flags);
}

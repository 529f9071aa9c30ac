/* Checks the preload library as the 32-bit Wine loader gets it: run under
 * the same qemu-i386 command line. A request that qemu would move must fail
 * with EEXIST and leave the mapping that is there alone; everything else
 * must behave as the kernel's mmap does. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

static int failures;

static void check(int ok, const char *what) {
  printf("%s: %s\n", ok ? "ok  " : "FAIL", what);
  if (!ok) ++failures;
}

int main(void) {
  const size_t page = (size_t)sysconf(_SC_PAGESIZE);
  Dl_info info;

  check(dladdr((void *)&mmap, &info) && info.dli_fname && strstr(info.dli_fname, "noreplace"),
        "mmap comes from the preload library");
  check(getenv("LD_PRELOAD") == NULL, "LD_PRELOAD is gone from the environment");

  /* A taken address: EEXIST, and the page there keeps its contents. */
  char *taken = mmap(NULL, page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  check(taken != MAP_FAILED, "an ordinary anonymous mapping succeeds");
  taken[0] = 'T';
  errno = 0;
  void *again = mmap(taken, page, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
  check(again == MAP_FAILED && errno == EEXIST, "MAP_FIXED_NOREPLACE on a taken page fails with EEXIST");
  check(taken[0] == 'T', "the page that was there is untouched");
  errno = 0;
  again = mmap64(taken, page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
  check(again == MAP_FAILED && errno == EEXIST, "the same through mmap64");

  /* A free address: mapped exactly there. */
  munmap(taken, page);
  void *free_page = mmap(taken, page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
  check(free_page == taken, "MAP_FIXED_NOREPLACE on a free page maps it there");
  if (free_page != MAP_FAILED) munmap(free_page, page);

  /* A file offset that is not page aligned fails with EINVAL, as the
   * kernel's does; the library must not turn it into anything else. */
  FILE *file = tmpfile();
  check(file != NULL && fwrite("x", 1, 1, file) == 1 && fflush(file) == 0, "a scratch file");
  if (file) {
    errno = 0;
    void *odd = mmap(NULL, page, PROT_READ, MAP_PRIVATE, fileno(file), 1);
    check(odd == MAP_FAILED && errno == EINVAL, "an unaligned file offset fails with EINVAL");
    errno = 0;
    odd = mmap(taken, page, PROT_READ, MAP_PRIVATE | MAP_FIXED_NOREPLACE, fileno(file), 1);
    check(odd == MAP_FAILED && errno == EINVAL, "the same with MAP_FIXED_NOREPLACE");
    void *whole = mmap(NULL, page, PROT_READ, MAP_PRIVATE, fileno(file), 0);
    check(whole != MAP_FAILED && ((char *)whole)[0] == 'x', "an aligned file mapping reads the file");
    if (whole != MAP_FAILED) munmap(whole, page);
    fclose(file);
  }
  return failures == 0 ? 0 : 1;
}

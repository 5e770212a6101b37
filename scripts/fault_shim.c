// Faults of the system under Wine, for scripts/check-windows: preloaded into
// Wine's processes and its server (LD_PRELOAD), it makes the calls through
// which Wine renames, flushes and writes a file fail, but only for files and
// folders inside the folder named by DORVANE_FAULTS (not for that folder
// itself), and only while that folder holds a control file for the call:
// "rename", "dirsync" (a folder's fsync), "filesync" (a file's) or "pwrite",
// holding "ERRNO COUNT". Each failure counts COUNT down; at 0 the file goes
// and the call works again.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

// The errno that the next call of this kind fails with, or 0 for none.
static int take_fault(const char* path, const char* kind) {
  const char* root = getenv("DORVANE_FAULTS");
  if (root == NULL || path == NULL) return 0;
  const size_t n = strlen(root);
  if (strncmp(path, root, n) != 0 || path[n] != '/') return 0;
  char name[4096];
  snprintf(name, sizeof name, "%s/%s", root, kind);
  FILE* f = fopen(name, "r");
  if (f == NULL) return 0;
  int error = 0, count = 0;
  if (fscanf(f, "%d %d", &error, &count) != 2 || count <= 0) error = 0;
  fclose(f);
  if (count > 1 && (f = fopen(name, "w")) != NULL) {
    fprintf(f, "%d %d\n", error, count - 1);
    fclose(f);
  } else {
    unlink(name);
  }
  return error;
}

static int fd_fault(int fd, const char* file_kind, const char* folder_kind) {
  char link[64], path[4096] = {0};
  struct stat st;
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  if (readlink(link, path, sizeof path - 1) < 0 || fstat(fd, &st) != 0) return 0;
  return take_fault(path, S_ISDIR(st.st_mode) ? folder_kind : file_kind);
}

#define REAL(name, type) ((type)dlsym(RTLD_NEXT, name))
#define FAIL_WITH(fault)   \
  do {                     \
    const int e = (fault); \
    if (e != 0) {          \
      errno = e;           \
      return -1;           \
    }                      \
  } while (0)

int rename(const char* from, const char* to) {
  FAIL_WITH(take_fault(from, "rename"));
  return REAL("rename", int (*)(const char*, const char*))(from, to);
}

int fsync(int fd) {
  FAIL_WITH(fd_fault(fd, "filesync", "dirsync"));
  return REAL("fsync", int (*)(int))(fd);
}

int fdatasync(int fd) {
  FAIL_WITH(fd_fault(fd, "filesync", "dirsync"));
  return REAL("fdatasync", int (*)(int))(fd);
}

typedef ssize_t (*pwrite_fn)(int, const void*, size_t, off_t);
ssize_t pwrite(int fd, const void* buf, size_t n, off_t off) {
  FAIL_WITH(fd_fault(fd, "pwrite", "pwrite"));
  return REAL("pwrite", pwrite_fn)(fd, buf, n, off);
}

ssize_t pwrite64(int fd, const void* buf, size_t n, off_t off) {
  FAIL_WITH(fd_fault(fd, "pwrite", "pwrite"));
  return REAL("pwrite64", pwrite_fn)(fd, buf, n, off);
}

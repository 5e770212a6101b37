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
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

// The errno that the next call of this kind fails with, set in errno, or 0
// for none.
static int take_fault(const char* path, const char* kind) {
  const char* root = getenv("DORVANE_FAULTS");
  const size_t n = root == NULL ? 0 : strlen(root);
  if (n == 0 || path == NULL || strncmp(path, root, n) != 0 || path[n] != '/') return 0;
  char name[4096];
  snprintf(name, sizeof name, "%s/%s", root, kind);
  FILE* f = fopen(name, "r+");
  if (f == NULL) return 0;
  int error = 0, count = 0;
  const int valid = fscanf(f, "%d %d", &error, &count) == 2 && count > 0;
  if (valid && count > 1) {
    rewind(f);
    fprintf(f, "%d %d\n", error, count - 1);  // a shorter count leaves a blank line after it
  } else {
    unlink(name);
  }
  fclose(f);
  return valid ? (errno = error) : 0;
}

static int fd_fault(int fd, const char* file_kind, const char* folder_kind) {
  char link[64], path[4096] = {0};
  struct stat st;
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  if (readlink(link, path, sizeof path - 1) < 0 || fstat(fd, &st) != 0) return 0;
  return take_fault(path, S_ISDIR(st.st_mode) ? folder_kind : file_kind);
}

// -1 with the fault's errno, or what the real call gives.
#define FAULT_OR_REAL(fault, type, name, ...) \
  return (fault) ? -1 : ((type)dlsym(RTLD_NEXT, name))(__VA_ARGS__)
typedef ssize_t (*pwrite_fn)(int, const void*, size_t, off_t);

int rename(const char* from, const char* to) {
  FAULT_OR_REAL(take_fault(from, "rename"), int (*)(const char*, const char*), "rename", from, to);
}
int fsync(int fd) { FAULT_OR_REAL(fd_fault(fd, "filesync", "dirsync"), int (*)(int), "fsync", fd); }
int fdatasync(int fd) {
  FAULT_OR_REAL(fd_fault(fd, "filesync", "dirsync"), int (*)(int), "fdatasync", fd);
}
ssize_t pwrite(int fd, const void* buf, size_t n, off_t off) {
  FAULT_OR_REAL(fd_fault(fd, "pwrite", "pwrite"), pwrite_fn, "pwrite", fd, buf, n, off);
}
ssize_t pwrite64(int fd, const void* buf, size_t n, off_t off) {
  FAULT_OR_REAL(fd_fault(fd, "pwrite", "pwrite"), pwrite_fn, "pwrite64", fd, buf, n, off);
}

// Holds a file open for a while as a virus scanner, the search indexer or a
// backup agent does: for reading, sharing reading and writing but not delete,
// so that a rename fails meanwhile. Says "held" once the file is open (and
// why not, where it could not open it); the file is closed as it ends.
//   scanner_hold.exe PATH MILLISECONDS
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  if (CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL, NULL) == INVALID_HANDLE_VALUE) {
    printf("not held: error %lu\n", GetLastError());
    return 1;
  }
  puts("held");
  fflush(stdout);
  Sleep((DWORD)wcstoul(argv[2], NULL, 10));
  return 0;
}

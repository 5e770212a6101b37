// Holds a read lease on a file, as the kernel NFS server does for a client's
// read delegation and Samba for an oplock: an open for writing is refused
// (EWOULDBLOCK with O_NONBLOCK) until the lease is let go. Says "held" once
// the lease is taken; asked to let go (SIGIO), does so MILLISECONDS later,
// or never when that is "never"; ends when its standard input closes.
//   lease_hold PATH MILLISECONDS|never
#define _GNU_SOURCE
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static int g_fd;
static long g_ms;  // -1: never

// Runs in the signal's handler: nanosleep and fcntl may be called there.
static void let_go(int sig) {
  (void)sig;
  const struct timespec pause = {g_ms / 1000, g_ms % 1000 * 1000000};
  if (g_ms >= 0 && nanosleep(&pause, NULL) == 0) fcntl(g_fd, F_SETLEASE, F_UNLCK);
}

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  g_fd = open(argv[1], O_RDONLY);
  g_ms = strcmp(argv[2], "never") == 0 ? -1 : strtol(argv[2], NULL, 10);
  signal(SIGIO, let_go);  // restarts the read below
  if (g_fd < 0 || fcntl(g_fd, F_SETLEASE, F_RDLCK) != 0) {
    perror("lease_hold");
    return 1;
  }
  puts("held");
  fflush(stdout);
  char c;
  while (read(STDIN_FILENO, &c, 1) != 0) continue;
  return 0;
}

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

static volatile sig_atomic_t g_asked;

static void asked(int sig) {
  (void)sig;
  g_asked = 1;
}

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const int fd = open(argv[1], O_RDONLY);
  struct sigaction on_break = {0};
  on_break.sa_handler = asked;  // no SA_RESTART: the signal ends the read below
  sigaction(SIGIO, &on_break, NULL);
  if (fd < 0 || fcntl(fd, F_SETLEASE, F_RDLCK) != 0) {
    perror("lease_hold");
    return 1;
  }
  puts("held");
  fflush(stdout);
  const int never = strcmp(argv[2], "never") == 0;
  const long ms = never ? 0 : strtol(argv[2], NULL, 10);
  char c;
  for (;;) {
    if (g_asked && !never) {
      const struct timespec pause = {ms / 1000, ms % 1000 * 1000000};
      nanosleep(&pause, NULL);
      fcntl(fd, F_SETLEASE, F_UNLCK);
      g_asked = 0;
    }
    // A read interrupted by SIGIO comes back here; end of input ends the hold.
    if (read(STDIN_FILENO, &c, 1) == 0) return 0;
  }
}

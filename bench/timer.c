/* Times whole processes for bench/run. Before every run it lays a fresh copy
 * of a template image in an empty work directory and flushes it to disk, so
 * that neither the copy nor the rename of the previous run is timed or gets in
 * the way. The timed region is the process alone: spawn with the answer on a
 * pipe as standard input and standard output on a pipe, drain the output,
 * wait. Several commands run round-robin, so that drift of the machine falls
 * on all of them alike. Prints the median, lowest and highest wall time of
 * each command in microseconds, one line per command.
 *
 *   timer RUNS TEMPLATE WORKDIR ANSWER -- PROG ARG... [-- PROG ARG...]
 *
 * An argument "@IMG" stands for the image copy, WORKDIR/board.img. ANSWER is
 * what the command reads on standard input (may be empty). A run that exits
 * non-zero stops the timer with its output. */
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

enum { k_max_cmds = 8, k_warmup = 3 };

struct command {
  char** argv;
  double* us;
};

static const char* g_template;
static const char* g_workdir;
static char g_image[4096];

static void die(const char* what) {
  fprintf(stderr, "timer: %s: %s\n", what, strerror(errno));
  exit(1);
}

/* Empties the work directory and lays a fresh, flushed image copy in it. */
static void prepare_image(void) {
  DIR* d = opendir(g_workdir);
  if (!d) die(g_workdir);
  for (struct dirent* e; (e = readdir(d)) != NULL;) {
    if (e->d_name[0] == '.') continue;
    if (unlinkat(dirfd(d), e->d_name, 0) != 0) die(e->d_name);
  }
  int in = open(g_template, O_RDONLY | O_CLOEXEC);
  int out = open(g_image, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (in < 0 || out < 0) die("image copy");
  static char buf[65536];
  for (ssize_t n; (n = read(in, buf, sizeof buf)) != 0;) {
    if (n < 0 || write(out, buf, (size_t)n) != n) die("image copy");
  }
  if (fsync(out) != 0 || fsync(dirfd(d)) != 0) die("fsync");
  close(in);
  close(out);
  closedir(d);
}

static double now_us(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec * 1e6 + (double)t.tv_nsec / 1e3;
}

/* One timed run of argv; returns its wall time in microseconds. */
static double run_once(char** argv, const char* answer) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) die("pipe");
  size_t len = strlen(answer);
  if (write(in[1], answer, len) != (ssize_t)len) die("answer");
  close(in[1]);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, in[0], 0);
  posix_spawn_file_actions_adddup2(&fa, out[1], 1);
  static char output[65536];
  size_t got = 0;
  const double start = now_us();
  pid_t pid;
  int err = posix_spawn(&pid, argv[0], &fa, NULL, argv, environ);
  if (err != 0) {
    errno = err;
    die(argv[0]);
  }
  close(out[1]);
  for (ssize_t n; (n = read(out[0], output + got, sizeof output - 1 - got)) > 0;) got += (size_t)n;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) die("waitpid");
  const double took = now_us() - start;
  posix_spawn_file_actions_destroy(&fa);
  close(in[0]);
  close(out[0]);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    output[got] = '\0';
    fprintf(stderr, "timer: %s failed (status %d):\n%s\n", argv[0], status, output);
    exit(1);
  }
  return took;
}

static int by_value(const void* a, const void* b) {
  const double x = *(const double*)a, y = *(const double*)b;
  return (x > y) - (x < y);
}

int main(int argc, char** argv) {
  if (argc < 7 || strcmp(argv[5], "--") != 0) {
    fprintf(stderr, "usage: timer RUNS TEMPLATE WORKDIR ANSWER -- PROG ARG... [-- PROG ARG...]\n");
    return 2;
  }
  const int runs = atoi(argv[1]);
  g_template = argv[2];
  g_workdir = argv[3];
  const char* answer = argv[4];
  snprintf(g_image, sizeof g_image, "%s/board.img", g_workdir);
  if (runs < 1) return 2;

  struct command cmds[k_max_cmds];
  int ncmds = 0;
  for (int i = 5; i < argc; ++i) {
    if (strcmp(argv[i], "--") == 0) {
      if (ncmds == k_max_cmds || i + 1 == argc) return 2;
      argv[i] = NULL;
      cmds[ncmds].argv = &argv[i + 1];
      cmds[ncmds].us = calloc((size_t)runs, sizeof(double));
      ++ncmds;
    } else if (strcmp(argv[i], "@IMG") == 0) {
      argv[i] = g_image;
    }
  }

  for (int r = -k_warmup; r < runs; ++r) {
    for (int c = 0; c < ncmds; ++c) {
      prepare_image();
      const double us = run_once(cmds[c].argv, answer);
      if (r >= 0) cmds[c].us[r] = us;
    }
  }
  for (int c = 0; c < ncmds; ++c) {
    qsort(cmds[c].us, (size_t)runs, sizeof(double), by_value);
    printf("%.1f %.1f %.1f\n", cmds[c].us[runs / 2], cmds[c].us[0], cmds[c].us[runs - 1]);
  }
  return 0;
}

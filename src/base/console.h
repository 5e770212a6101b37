// The console streams of a run. They are the process's standard streams
// unless a harness points them elsewhere (an in-memory dialogue, say).
#pragma once

#include <cstdio>

#if defined(__MINGW32__)
#define DORVANE_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define DORVANE_PRINTF(f, a) __attribute__((format(printf, f, a)))
#endif

struct console_io {
  std::FILE* in;
  std::FILE* out;
  std::FILE* err;
  bool in_started = false;  // the start of `in` has been looked at
  bool in_utf16 = false;    // and it was UTF-16 text
};

extern console_io g_con;

// The next character of `in`. At the very start of the console input, a
// UTF-8 byte order mark (as Windows editors save answer files) is skipped,
// and UTF-16 text, with a mark or without, which no answer is read from, ends
// the input at once.
int con_getc_at_start(std::FILE* in);

// printf to the console output.
void con_printf(const char* fmt, ...) DORVANE_PRINTF(1, 2);
// printf to the error stream, which is unbuffered; console output is flushed
// first so that the two keep their order on a terminal.
void con_errorf(const char* fmt, ...) DORVANE_PRINTF(1, 2);

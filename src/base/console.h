// The console streams of a run. They are the process's standard streams
// unless a harness points them elsewhere (an in-memory dialogue, say).
#pragma once

#include <cstdio>

#if defined(__MINGW32__)
#define DORVANE_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define DORVANE_PRINTF(f, a) __attribute__((format(printf, f, a)))
#endif

// The console input, read one character at a time. At its very start a
// UTF-8 byte order mark (as Windows editors save answer files) is skipped,
// and UTF-16 text, with a mark or without, which no answer is read from,
// ends the input at once.
class console_reader {
 public:
  explicit console_reader(std::FILE* in) noexcept : in_(in) {}
  // The next character, or EOF.
  int get();
  // Puts back `c`, the character just read; nothing for EOF.
  void unget(int c);
  // True once the start of the input was found to be UTF-16 text.
  bool utf16() const { return utf16_; }

 private:
  std::FILE* in_;
  bool started_ = false;  // the start of the input has been looked at
  bool utf16_ = false;
};

struct console_io {
  console_reader in;
  std::FILE* out;
  std::FILE* err;
};

extern console_io g_con;

// printf to the console output.
void con_printf(const char* fmt, ...) DORVANE_PRINTF(1, 2);
// printf to the error stream, which is unbuffered; console output is flushed
// first so that the two keep their order on a terminal.
void con_errorf(const char* fmt, ...) DORVANE_PRINTF(1, 2);

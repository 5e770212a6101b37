#include "base/console.h"

#include <algorithm>
#include <cstdarg>
#include <string>

#include "base/platform.h"

console_io g_con = {console_reader(stdin), stdout, stderr};

namespace {

DORVANE_PRINTF(2, 0) void print_to(std::FILE* f, const char* fmt, va_list ap) {
  va_list again;
  va_copy(again, ap);
  const int n = std::vsnprintf(nullptr, 0, fmt, ap);
  std::string text(static_cast<std::size_t>(std::max(n, 0)), '\0');
  std::vsnprintf(text.data(), text.size() + 1, fmt, again);
  va_end(again);
  plat::write_text(f, text);
}

// Byte order marks: UTF-8's, and UTF-16's in either byte order.
constexpr int k_utf8_mark[] = {0xEF, 0xBB, 0xBF};
constexpr int k_utf16le_mark[] = {0xFF, 0xFE};
constexpr int k_utf16be_mark[] = {0xFE, 0xFF};

// True when `c`, the character just read from `in`, and those after it are
// `mark`, which is then read; else the first one that differs is left unread.
template <std::size_t n>
bool starts_mark(std::FILE* in, int c, const int (&mark)[n]) {
  if (c != mark[0]) return false;
  for (std::size_t i = 1; i < n; ++i) {
    const int next = std::fgetc(in);
    if (next != mark[i]) {
      std::ungetc(next, in);  // nothing for EOF
      return false;
    }
  }
  return true;
}

// UTF-16 text without a mark: each ASCII character comes with a zero byte,
// after it or before it, and no answer saved as UTF-8 or ANSI holds one.
// `c` is the first character; the one after it is left unread.
bool starts_unmarked_utf16(std::FILE* in, int c) {
  if (c == 0) return true;
  if (c == EOF) return false;
  const int next = std::fgetc(in);
  std::ungetc(next, in);  // nothing for EOF
  return next == 0;
}

}  // namespace

int console_reader::get() {
  const int c = std::fgetc(in_);
  if (started_) return c;
  started_ = true;
  if (starts_mark(in_, c, k_utf8_mark)) return std::fgetc(in_);
  if (starts_mark(in_, c, k_utf16le_mark) || starts_mark(in_, c, k_utf16be_mark) ||
      starts_unmarked_utf16(in_, c)) {
    utf16_ = true;
    return EOF;
  }
  return c;
}

void console_reader::unget(int c) { std::ungetc(c, in_); }  // nothing for EOF

void con_printf(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  print_to(g_con.out, fmt, ap);
  va_end(ap);
}

void con_errorf(const char* fmt, ...) {
  std::fflush(g_con.out);
  va_list ap;
  va_start(ap, fmt);
  print_to(g_con.err, fmt, ap);
  va_end(ap);
}

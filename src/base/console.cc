#include "base/console.h"

#include <algorithm>
#include <cstdarg>
#include <string>

#include "base/platform.h"

console_io g_con = {stdin, stdout, stderr};

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

}  // namespace

int con_getc_at_start(std::FILE* in) {
  int c = std::fgetc(in);
  if (in != g_con.in || g_con.in_started) return c;
  g_con.in_started = true;
  // The byte order marks, first byte and the rest: UTF-8, UTF-16 LE and BE.
  constexpr int k_utf8[] = {0xEF, 0xBB, 0xBF};
  constexpr int k_utf16le[] = {0xFF, 0xFE};
  constexpr int k_utf16be[] = {0xFE, 0xFF};
  const auto follows = [in](const int* rest, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
      const int next = std::fgetc(in);
      if (next != rest[i]) {
        std::ungetc(next, in);  // nothing for EOF
        return false;
      }
    }
    return true;
  };
  if (c == k_utf8[0] && follows(k_utf8 + 1, 2)) return std::fgetc(in);
  if ((c == k_utf16le[0] && follows(k_utf16le + 1, 1)) ||
      (c == k_utf16be[0] && follows(k_utf16be + 1, 1))) {
    g_con.in_utf16 = true;
    return EOF;
  }
  return c;
}

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

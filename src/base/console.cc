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

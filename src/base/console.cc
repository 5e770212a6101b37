#include "base/console.h"

#include <cstdarg>

console_io g_con = {stdin, stdout, stderr};

void con_printf(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::vfprintf(g_con.out, fmt, ap);
  va_end(ap);
}

void con_errorf(const char* fmt, ...) {
  std::fflush(g_con.out);
  va_list ap;
  va_start(ap, fmt);
  std::vfprintf(g_con.err, fmt, ap);
  va_end(ap);
  std::fflush(g_con.err);
}

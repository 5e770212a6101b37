#include "inproc.h"

#include <sys/types.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/console.h"
#include "cli/run.h"

namespace {

// One of the tool's output streams: its text, how long it may grow, and the
// text of both streams as a terminal shows them.
struct capture {
  std::string text;
  std::size_t limit;
  std::string& both;
};

ssize_t capture_write(void* cookie, const char* buf, std::size_t n) {
  auto& c = *static_cast<capture*>(cookie);
  c.text.append(buf, n);
  c.both.append(buf, n);
  if (c.text.size() <= c.limit) return static_cast<ssize_t>(n);
  std::fprintf(stderr, "output grows without input: %s\n", c.text.substr(c.limit - 200).c_str());
  std::abort();
}

struct console {
  const std::string& input;
  std::size_t given;
  const std::string& out;
  std::vector<std::string>& waits;
};

// Gives the next line of the input, noting what the output shows as the
// tool waits for it.
ssize_t give_line(void* cookie, char* buf, std::size_t size) {
  auto& c = *static_cast<console*>(cookie);
  c.waits.push_back(c.out.substr(c.out.rfind('\n') + 1));
  if (c.given == c.input.size()) return 0;
  std::size_t end = c.input.find('\n', c.given);
  end = end == std::string::npos ? c.input.size() : end + 1;
  const std::size_t n = std::min(size, end - c.given);
  c.input.copy(buf, n, c.given);
  c.given += n;
  return static_cast<ssize_t>(n);
}

// Runs `body` with the console on `in` and on the two captures; the error
// stream is unbuffered, as the standard one is.
void with_console(std::FILE* in, capture* out, capture* err, const std::function<void()>& body) {
  cookie_io_functions_t io{};
  io.write = capture_write;
  std::FILE* files[] = {in, fopencookie(out, "w", io), fopencookie(err, "w", io)};
  if (files[0] == nullptr || files[1] == nullptr || files[2] == nullptr) std::abort();
  std::setvbuf(files[2], nullptr, _IONBF, 0);
  const console_io saved = g_con;
  g_con = {files[0], files[1], files[2]};
  body();
  g_con = saved;
  for (std::FILE* f : files) {
    if (std::fclose(f) != 0) std::abort();
  }
}

}  // namespace

inproc_run run_inproc(const std::vector<std::string>& args, const std::string& input,
                      std::size_t output_limit) {
  inproc_run run;
  capture out{"", output_limit, run.both}, err{"", output_limit, run.both};
  console in{input, 0, out.text, run.waits};
  cookie_io_functions_t lines{};
  lines.read = give_line;
  std::vector<const char*> argv = {"dorvane_oem_tool"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  with_console(fopencookie(&in, "r", lines), &out, &err,
               [&argv] { run_tool(static_cast<int>(argv.size()), argv.data()); });
  run.out = out.text;
  run.err = err.text;
  return run;
}

console_text capture_console(const std::function<void()>& body) {
  std::string both;
  capture out{"", SIZE_MAX, both}, err{"", SIZE_MAX, both};
  with_console(std::tmpfile(), &out, &err, body);
  return {out.text, err.text};
}

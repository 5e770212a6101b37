#include "inproc.h"

#include <sys/types.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/console.h"
#include "cli/run.h"

namespace {

using capture = std::pair<std::string, std::size_t>;  // the text, and how long it may grow

ssize_t capture_write(void* cookie, const char* buf, std::size_t n) {
  auto& [text, limit] = *static_cast<capture*>(cookie);
  text.append(buf, n);
  if (text.size() <= limit) return static_cast<ssize_t>(n);
  std::fprintf(stderr, "output grows without input: %s\n", text.substr(limit - 200).c_str());
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

}  // namespace

inproc_run run_inproc(const std::vector<std::string>& args, const std::string& input,
                      std::size_t output_limit) {
  capture out{"", output_limit}, err{"", output_limit};
  inproc_run run;
  console in{input, 0, out.first, run.waits};
  cookie_io_functions_t io{};
  io.write = capture_write;
  cookie_io_functions_t lines{};
  lines.read = give_line;
  std::FILE* files[] = {fopencookie(&in, "r", lines), fopencookie(&out, "w", io),
                        fopencookie(&err, "w", io)};
  if (files[0] == nullptr || files[1] == nullptr || files[2] == nullptr) std::abort();
  std::vector<const char*> argv = {"dorvane_oem_tool"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  const console_io saved = g_con;
  g_con = {files[0], files[1], files[2]};
  run_tool(static_cast<int>(argv.size()), argv.data());
  g_con = saved;
  for (std::FILE* f : files) {
    if (std::fclose(f) != 0) std::abort();
  }
  run.out = out.first;
  run.err = err.first;
  return run;
}

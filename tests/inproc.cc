#include "inproc.h"

#include <sys/types.h>

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

}  // namespace

inproc_run run_inproc(const std::vector<std::string>& args, const std::string& input,
                      std::size_t output_limit) {
  capture out{"", output_limit}, err{"", output_limit};
  cookie_io_functions_t io{};
  io.write = capture_write;
  std::string console = input + '\0';  // fmemopen wants a buffer of at least one byte
  std::FILE* files[] = {fmemopen(console.data(), input.size(), "r"), fopencookie(&out, "w", io),
                        fopencookie(&err, "w", io)};
  if (files[0] == nullptr || files[1] == nullptr || files[2] == nullptr) std::abort();
  std::vector<const char*> argv = {"dorvane_oem_tool"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  const console_io saved = g_con;
  g_con = {files[0], files[1], files[2]};
  run_tool(static_cast<int>(argv.size()), argv.data());
  g_con = saved;
  const long console_read = std::ftell(files[0]);
  for (std::FILE* f : files) {
    if (std::fclose(f) != 0) std::abort();
  }
  return {out.first, err.first, console_read};
}

#include "inproc.h"

#include <sys/types.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "base/console.h"
#include "cli/run.h"
#include "image_builder.h"

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

// Gives the next character of the input, noting what the output shows as
// the tool waits for it.
ssize_t give_char(void* cookie, char* buf, std::size_t /*size*/) {
  auto& c = *static_cast<console*>(cookie);
  c.waits.push_back(c.out.substr(c.out.rfind('\n') + 1));
  if (c.given == c.input.size()) return 0;
  *buf = c.input[c.given++];
  return 1;
}

}  // namespace

inproc_run run_inproc(const std::vector<std::string>& args, const std::string& input,
                      std::size_t output_limit) {
  inproc_run run;
  capture out{"", output_limit, run.both}, err{"", output_limit, run.both};
  console in{input, 0, out.text, run.waits};
  cookie_io_functions_t io{};
  io.write = capture_write;
  cookie_io_functions_t lines{};
  lines.read = give_char;
  std::FILE* files[] = {fopencookie(&in, "r", lines), fopencookie(&out, "w", io),
                        fopencookie(&err, "w", io)};
  if (files[0] == nullptr || files[1] == nullptr || files[2] == nullptr) std::abort();
  std::setvbuf(files[2], nullptr, _IONBF, 0);  // as the standard error stream is
  std::vector<const char*> argv = {"dorvane_oem_tool"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  const console_io saved = g_con;
  g_con = {console_reader(files[0]), files[1], files[2]};
  run_tool(static_cast<int>(argv.size()), argv.data());
  g_con = saved;
  for (std::FILE* f : files)
    if (std::fclose(f) != 0) std::abort();
  run.out = out.text;
  run.err = err.text;
  return run;
}

int unsafe_cuts(const std::vector<std::uint8_t>& before) {
  using image = std::vector<std::uint8_t>;
  constexpr std::uint32_t k_block = 0x1000, k_header = 0xFF000;
  const auto on = [](const image& i) {
    const std::uint32_t header = testimg::word_at(i, k_header);
    return (header & 0xFFFF) == 0x55AA ? header >> 16 : 0;
  };
  const auto as_in = [&on](const image& cut, const image& i) {
    return (on(cut) & ~on(i)) == 0 && std::equal(&cut[0], &cut[k_header], &i[0]) &&
           std::equal(&cut[k_header + 4], cut.data() + cut.size(), &i[k_header + 4]);
  };
  int unsafe = 0;
  const auto judge = [&](const image& left) {
    unsafe += on(left) == 0 || as_in(left, before) || as_in(left, g_image.bytes) ? 0 : 1;
  };
  // As of the last sync, as written since, and as a cut leaves it; kept from one call to the
  // next, as images of 1 MiB are slow to allocate under the sanitizers.
  static image disk, now, cut;
  disk = before, now = before;
  std::set<std::uint32_t> written;  // the blocks written since the last sync
  const auto cut_now = [&] {
    cut = disk;
    for (std::uint32_t kept = 0; kept >> written.size() == 0; ++kept) {
      int i = 0;
      for (const std::uint32_t b : written)
        std::copy_n(&(kept >> i++ & 1U ? now : disk)[b * k_block], k_block, &cut[b * k_block]);
      judge(cut);
    }
    disk = now, written.clear();
  };
  for (const auto& [off, bytes] : g_image.journal) {
    if (bytes.empty()) cut_now();
    std::copy(bytes.begin(), bytes.end(), &now[off]);
    judge(now);  // a kill after this write
    for (auto b = off / k_block; b * k_block < off + bytes.size(); ++b) written.insert(b);
  }
  cut_now();
  return unsafe;
}

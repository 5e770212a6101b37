// The operating system as the tests that run the tool in process see it,
// behind the platform seam: every path opens g_image as file 3, held by file
// 4, the date is 1 March, and nothing on the disk is touched.
#include <cstring>
#include <utility>

#include "base/platform.h"
#include "inproc.h"

mem_image g_image;

namespace plat {

open_result open_image(const std::string& path, open_mode mode) {
  g_image.log += (mode == open_mode::update ? "open " : "open to read ") + path + "\n";
  if (g_image.hits(fault::in_place, 1))
    return {open_status::no_update_in_place, {}, {}, 0, "refused"};
  return {open_status::ok, file(3), file(4), g_image.bytes.size(), ""};
}

long file::read_at(void* buf, std::size_t n, std::uint64_t off) const {
  mem_image& m = g_image;
  const bool refused = m.hits(fault::read, off) || m.hits(fault::in_place, off);
  if (refused || off + n > m.bytes.size()) return ++m.failures, -1;
  if (m.hits(fault::short_io, off)) return ++m.failures, 0;
  std::memcpy(buf, m.bytes.data() + off, n);
  return static_cast<long>(n);
}

long file::write_at(const void* buf, std::size_t n, std::uint64_t off) const {
  mem_image& m = g_image;
  m.wrote_after_failure = m.wrote_after_failure || m.failures > 0;
  if (m.hits(fault::write, off) || off + n > m.bytes.size()) return ++m.failures, -1;
  if (m.hits(fault::short_io, off)) return ++m.failures, 0;
  std::memcpy(m.bytes.data() + off, buf, n);
  m.writes.push_back(static_cast<std::uint32_t>(off));
  if (m.hits(fault::corrupt, off)) m.bytes.data()[off] ^= 1U;
  m.journal.emplace_back(off,
                         std::vector<std::uint8_t>(m.bytes.data() + off, m.bytes.data() + off + n));
  return static_cast<long>(n);
}

bool file::sync() const {
  if (g_image.fails != fault::sync) g_image.journal.emplace_back();
  return g_image.log += "sync\n", g_image.fails != fault::sync;
}

bool file::close() {
  if (is_open()) g_image.log += "close " + std::to_string(std::exchange(value_, k_none)) + "\n";
  return g_image.fails != fault::close;
}

std::string last_error_text() { return "injected fault"; }
bool refused_in_place() { return g_image.fails == fault::in_place; }

outcome rename_no_replace(const std::string& from, const std::string& to, file& /*hold*/) {
  g_image.log += "rename " + from + " " + to + "\n";
  return {};
}

outcome sync_folder_of(const std::string& path) {
  g_image.log += "sync folder of " + path + "\n";
  return {g_image.fails != fault::folder_sync, "no space left"};
}

month_day local_month_day() { return {3, 1}; }
bool is_path_separator(char c) { return c == '/'; }
bool utf16_names() { return false; }
// A console that cannot be written is nothing the tool could report.
void write_text(std::FILE* f, const std::string& text) {
  static_cast<void>(std::fwrite(text.data(), 1, text.size(), f));
}

}  // namespace plat

#include "fake_os.h"

#include <cstring>

#include "base/platform.h"

namespace fake_os {

std::vector<std::uint8_t> image;
std::string log;
bool fail_folder_sync = false;

}  // namespace fake_os

namespace plat {

open_result open_for_update(const std::string& path) {
  fake_os::log += "open " + path + "\n";
  return {open_status::ok, 3, fake_os::image.size()};
}

// The tool reads and writes only words inside the image.
long pread_at(int /*fd*/, void* buf, std::size_t n, std::uint64_t off) {
  std::memcpy(buf, fake_os::image.data() + off, n);
  return static_cast<long>(n);
}

long pwrite_at(int /*fd*/, const void* buf, std::size_t n, std::uint64_t off) {
  std::memcpy(fake_os::image.data() + off, buf, n);
  return static_cast<long>(n);
}

bool sync_fd(int fd) { return fake_os::log += "sync " + std::to_string(fd) + "\n", true; }
bool close_fd(int fd) { return fake_os::log += "close " + std::to_string(fd) + "\n", true; }
std::string last_error_text() { return "fake error"; }

bool rename_no_replace(const std::string& from, const std::string& to, std::string* /*why*/) {
  fake_os::log += "rename " + from + " " + to + "\n";
  return true;
}

bool sync_folder_of(const std::string& path, std::string* why) {
  fake_os::log += "sync folder of " + path + "\n";
  *why = "no space left";
  return !fake_os::fail_folder_sync;
}

void local_month_day(int* month, int* day) { *month = 3, *day = 1; }
bool is_path_separator(char c) { return c == '/'; }
bool utf16_names() { return false; }
// A console that cannot be written is nothing the tool could report.
void write_text(std::FILE* f, const std::string& text) {
  static_cast<void>(std::fwrite(text.data(), 1, text.size(), f));
}

}  // namespace plat

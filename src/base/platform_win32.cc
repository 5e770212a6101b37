// The Windows side of the platform seam.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/platform.h"

namespace plat {

namespace {

bool is_regular(const struct _stat64& st) { return (st.st_mode & _S_IFMT) == _S_IFREG; }

// FormatMessage text of a Windows error code, without its trailing line end.
std::string windows_error_text(DWORD code) {
  char buf[512] = {0};
  const DWORD len = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, buf, sizeof buf, nullptr);
  std::string text(buf, len);
  while (!text.empty() &&
         (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
    text.pop_back();
  }
  if (text.empty()) text = "system error " + std::to_string(code);
  return text;
}

}  // namespace

open_result open_for_update(const std::string& path) {
  open_result r;
  // Windows refuses to open a directory as a file with the same error as a
  // missing permission, so look at what the path names before opening it.
  struct _stat64 st {};
  if (_stat64(path.c_str(), &st) == 0 && !is_regular(st)) {
    r.status = open_status::not_regular;
    return r;
  }
  int fd = -1;
  if (_sopen_s(&fd, path.c_str(), _O_RDWR | _O_BINARY | _O_NOINHERIT, _SH_DENYNO,
               _S_IREAD | _S_IWRITE) != 0) {
    return r;
  }
  if (_fstat64(fd, &st) != 0 || !is_regular(st)) {
    _close(fd);
    r.status = open_status::not_regular;
    return r;
  }
  r.status = open_status::ok;
  r.fd = fd;
  r.size = static_cast<std::uint64_t>(st.st_size);
  return r;
}

long pread_at(int fd, void* buf, std::size_t n, std::uint64_t off) {
  if (_lseeki64(fd, static_cast<__int64>(off), SEEK_SET) < 0) return -1;
  return _read(fd, buf, static_cast<unsigned>(n));
}

long pwrite_at(int fd, const void* buf, std::size_t n, std::uint64_t off) {
  if (_lseeki64(fd, static_cast<__int64>(off), SEEK_SET) < 0) return -1;
  return _write(fd, buf, static_cast<unsigned>(n));
}

bool sync_fd(int fd) { return _commit(fd) == 0; }
bool close_fd(int fd) { return _close(fd) == 0; }

std::string last_error_text() {
  char buf[256] = {0};
  strerror_s(buf, sizeof buf, errno);
  return buf;
}

// Without MOVEFILE_REPLACE_EXISTING, MoveFileEx fails on an existing target;
// without MOVEFILE_COPY_ALLOWED it never falls back to copying across volumes.
bool rename_no_replace(const std::string& from, const std::string& to, std::string* why) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0) return true;
  *why = windows_error_text(GetLastError());
  return false;
}

// The calendar date of the system's time zone, as the clock in the task bar
// shows it; independent of a TZ variable that the C library might misread.
void local_month_day(int* month, int* day) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  *month = now.wMonth;
  *day = now.wDay;
}

// MoveFileEx with MOVEFILE_WRITE_THROUGH returns only once the rename is on
// the disk.
bool sync_folder_of(const std::string& /*path*/, std::string* /*why*/) { return true; }

bool is_path_separator(char c) { return c == '/' || c == '\\' || c == ':'; }

// Binary mode: output keeps LF line ends as on other systems, and input CR LF
// reaches the readers unchanged (they take CR as a blank).
void set_binary_console() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace plat

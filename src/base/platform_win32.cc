// The Windows side of the platform seam.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "base/platform.h"
#include "base/utf16.h"

namespace plat {

namespace {

std::wstring wide(const std::u16string& s) { return {s.begin(), s.end()}; }

// The path for the wide file interfaces: full, and in the "\\?\" form when
// it is too long for the classic ones, so that neither the ANSI code page
// nor MAX_PATH limits what the operator may type.
std::wstring system_path(const std::string& utf8) {
  const std::wstring given = wide(text::utf16_from_utf8(utf8));
  const DWORD need = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  if (need == 0) return given;
  std::wstring full(need, L'\0');
  const DWORD got = GetFullPathNameW(given.c_str(), need, &full[0], nullptr);
  if (got == 0 || got >= need) return given;
  full.resize(got);
  return wide(text::long_path_form({full.begin(), full.end()}));
}

// FormatMessage text of a Windows error code, without its trailing line end.
std::string windows_error_text(DWORD code) {
  wchar_t buf[512] = {0};
  const DWORD len = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, buf, 512, nullptr);
  std::string text = text::utf8_from_utf16(std::u16string(buf, buf + len));
  while (!text.empty() &&
         (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
    text.pop_back();
  }
  if (text.empty()) text = "system error " + std::to_string(code);
  return text;
}

HANDLE handle_of(file::native value) { return reinterpret_cast<HANDLE>(value); }

// A second handle of the same open file: the share mode lasts until both are
// closed. Not open, with the last error set, when there is none.
file second_handle(const file& image) {
  const HANDLE self = GetCurrentProcess();
  HANDLE copy = INVALID_HANDLE_VALUE;
  if (DuplicateHandle(self, handle_of(image.get()), self, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS) ==
      0) {
    return file();
  }
  return file(reinterpret_cast<file::native>(copy));
}

// Where ReadFile and WriteFile start on a handle opened for synchronous I/O,
// whatever its file pointer.
OVERLAPPED at_offset(std::uint64_t off) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(off);
  at.OffsetHigh = static_cast<DWORD>(off >> 32U);
  return at;
}

// At most what the count returned can tell (long is 32 bits on Windows).
DWORD io_size(std::size_t n) {
  return static_cast<DWORD>(std::min<std::size_t>(n, std::numeric_limits<long>::max()));
}

// The folder that holds `path`, with its trailing separator: without it, the
// root of a drive ("C:\") would be the drive's current folder ("C:").
std::wstring folder_of(const std::string& path) {
  const std::wstring full = system_path(path);
  const std::size_t separator = full.find_last_of(L"\\/");
  return separator == std::wstring::npos ? L"." : full.substr(0, separator + 1);
}

// A rename fails with these while another program has the file open without
// sharing its deletion: a virus scanner, the search indexer or a backup
// agent looking at the freshly written image, each for a moment.
bool held_for_a_moment(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_LOCK_VIOLATION;
}

// Windows refuses a folder flush with these where it does not let this
// program flush the folder: no right to open it for writing, or a file
// system that flushes no folder. The rename is then as lasting as the file
// system makes it.
bool folder_flush_refused(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_INVALID_FUNCTION ||
         error == ERROR_INVALID_PARAMETER;
}

// Looks at what `name` names through a handle without access to its data,
// which starts no device and waits for no other program. A change looks at a
// link itself, not at what it points to.
file look_at(const std::wstring& name, bool update) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (update ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  return file(reinterpret_cast<file::native>(CreateFileW(
      name.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, flags, nullptr)));
}

// What the symbolic link looked at through `link` points to, as it was made;
// empty for another kind of reparse point (a file kept in the cloud, a
// deduplicated one), which is no second name.
std::string link_target(HANDLE link) {
  // A symbolic link's REPARSE_DATA_BUFFER: its tag, two sizes, the offsets and
  // sizes in bytes of its substitute and print names, flags, then the names.
  struct {
    DWORD tag;
    WORD size, reserved, substitute_at, substitute_size, print_at, print_size;
    DWORD flags;
    wchar_t names[MAXIMUM_REPARSE_DATA_BUFFER_SIZE / sizeof(wchar_t)];
  } data{};
  DWORD got = 0;
  if (DeviceIoControl(link, FSCTL_GET_REPARSE_POINT, nullptr, 0, &data, sizeof data, &got,
                      nullptr) == 0 ||
      data.tag != IO_REPARSE_TAG_SYMLINK) {
    return {};
  }
  const wchar_t* print = data.names + data.print_at / sizeof(wchar_t);
  return text::utf8_from_utf16({print, print + data.print_size / sizeof(wchar_t)});
}

bool same_file(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// Opens and holds the image into `r`: the status, and where it has one, its
// reason in r.why.
open_status open_and_hold(const std::string& path, open_mode mode, open_result& r) {
  const auto because = [&r](open_status status) {
    r.why = windows_error_text(GetLastError());
    return status;
  };
  const bool update = mode == open_mode::update;
  const std::wstring name = system_path(path);
  // Opening is not harmless for everything a path can name: COM1 raises its
  // DTR line. A device's name (NUL, CON, COM1, and before Windows 11 com1.img
  // too) comes back from GetFullPathNameW as "\\.\" and the device: it is
  // refused unopened. Anything else is looked at first, and must be a file on
  // a disk, not a folder, and for a change have one name.
  if (name.rfind(L"\\\\.\\", 0) == 0) return open_status::not_regular;
  const file look = look_at(name, update);
  const auto looked = handle_of(look.get());
  BY_HANDLE_FILE_INFORMATION seen{};
  if (!look.is_open()) return because(open_status::cannot_open);
  if (GetFileType(looked) != FILE_TYPE_DISK) return open_status::not_regular;
  if (GetFileInformationByHandle(looked, &seen) == 0) return because(open_status::cannot_open);
  if ((seen.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return open_status::not_regular;
  if (update && (seen.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    r.why = link_target(looked);
    if (!r.why.empty()) return open_status::symbolic_link;
  }
  if (update && seen.nNumberOfLinks > 1) return open_status::other_names;
  // Other programs may read the image but not write it while this run holds
  // it; delete sharing lets the run rename it while the hold is open. A run
  // that only reads asks for no more than reading.
  const DWORD access = update ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  r.image = file(reinterpret_cast<file::native>(
      CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!r.image.is_open()) {
    const DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION         ? open_status::in_use
           : update && error == ERROR_NOT_SUPPORTED ? because(open_status::no_update_in_place)
                                                    : because(open_status::cannot_open);
  }
  const HANDLE image = handle_of(r.image.get());
  BY_HANDLE_FILE_INFORMATION st{};
  if (GetFileType(image) != FILE_TYPE_DISK || GetFileInformationByHandle(image, &st) == 0) {
    return open_status::not_regular;
  }
  // Another file put in its place meanwhile: the image is being changed.
  if (!same_file(st, seen)) return open_status::in_use;
  if (update && st.nNumberOfLinks > 1) return open_status::other_names;
  r.size = std::uint64_t{st.nFileSizeHigh} << 32U | st.nFileSizeLow;
  r.hold = second_handle(r.image);
  return r.hold.is_open() ? open_status::ok : because(open_status::cannot_open);
}

}  // namespace

open_result open_image(const std::string& path, open_mode mode) {
  open_result r;
  r.status = open_and_hold(path, mode, r);
  if (r.status != open_status::ok) r.image.close();  // a refusal leaves nothing open
  return r;
}

// ReadFile and WriteFile rather than the C library's _read and _write, so
// that a failure leaves the system's own reason as the last error.
long file::read_at(void* buf, std::size_t n, std::uint64_t off) const {
  OVERLAPPED at = at_offset(off);
  DWORD got = 0;
  if (ReadFile(handle_of(value_), buf, io_size(n), &got, &at) != 0) return static_cast<long>(got);
  // A read that starts at the end of the file ends with this error.
  return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
}

long file::write_at(const void* buf, std::size_t n, std::uint64_t off) const {
  OVERLAPPED at = at_offset(off);
  DWORD put = 0;
  if (WriteFile(handle_of(value_), buf, io_size(n), &put, &at) != 0) return static_cast<long>(put);
  return -1;
}

// FlushFileBuffers itself: the C library's _commit reports any failure as
// EBADF ("Bad file descriptor").
bool file::sync() const { return FlushFileBuffers(handle_of(value_)) != 0; }

bool file::close() {
  if (!is_open()) return true;
  const HANDLE handle = handle_of(value_);
  value_ = k_none;
  return CloseHandle(handle) != 0;
}

// The calls of a file each leave the reason for their failure as the last
// error.
std::string last_error_text() { return windows_error_text(GetLastError()); }

bool refused_in_place() { return GetLastError() == ERROR_NOT_SUPPORTED; }

// Without MOVEFILE_REPLACE_EXISTING, MoveFileEx fails on an existing target;
// without MOVEFILE_COPY_ALLOWED it never falls back to copying across
// volumes. MOVEFILE_WRITE_THROUGH is documented only for such a copy; the
// folder is flushed after the rename instead (sync_folder_of). A rename
// refused while another program looks at the image is tried again every
// 10 ms; one still refused after a second is a refusal, never a wait
// without end.
outcome rename_no_replace(const std::string& from, const std::string& to, file& hold) {
  constexpr int k_tries = 100;
  constexpr DWORD k_pause_ms = 10;
  const std::wstring source = system_path(from);
  const std::wstring target = system_path(to);
  for (int tried = 1; MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) == 0;
       ++tried) {
    const DWORD error = GetLastError();
    if (!held_for_a_moment(error) || tried == k_tries) return {false, windows_error_text(error)};
    // A share that refuses to rename a file open anywhere (Samba read through
    // libsmbclient) refuses it for the run's own hold: it is let go.
    if (error == ERROR_LOCK_VIOLATION) hold.close();
    Sleep(k_pause_ms);
  }
  return {};
}

// The calendar date of the system's time zone, as the clock in the task bar
// shows it; independent of a TZ variable that the C library might misread.
month_day local_month_day() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wMonth, now.wDay};
}

// FlushFileBuffers on the folder, opened as a folder (backup semantics) and
// for writing, as FlushFileBuffers needs.
outcome sync_folder_of(const std::string& path) {
  const HANDLE folder = CreateFileW(folder_of(path).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  const bool flushed = folder != INVALID_HANDLE_VALUE && FlushFileBuffers(folder) != 0;
  const DWORD error = GetLastError();
  if (folder != INVALID_HANDLE_VALUE) CloseHandle(folder);
  if (flushed || folder_flush_refused(error)) return {};
  return {false, windows_error_text(error)};
}

bool is_path_separator(char c) { return c == '/' || c == '\\' || c == ':'; }
bool utf16_names() { return true; }

void write_text(std::FILE* f, const std::string& text) {
  const auto console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
  DWORD mode = 0;
  if (console == INVALID_HANDLE_VALUE || GetConsoleMode(console, &mode) == 0) {
    // A pipe or a file: the UTF-8 bytes, the same as on other systems. A
    // console that cannot be written is nothing the tool could report.
    static_cast<void>(std::fwrite(text.data(), 1, text.size(), f));
    return;
  }
  std::fflush(f);
  const std::wstring w = wide(text::utf16_from_utf8(text));
  DWORD written = 0;
  WriteConsoleW(console, w.data(), static_cast<DWORD>(w.size()), &written, nullptr);
}

// Binary mode: output keeps LF line ends as on other systems, and input CR LF
// reaches the readers unchanged (they take CR as a blank).
void set_binary_console() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace plat

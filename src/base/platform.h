// The operating system's side of the tool: opening the image, positional
// I/O, flushing to stable storage, the no-replace rename and the local date.
// Everything that differs between POSIX and Windows lives behind this seam,
// in platform_posix.cc and platform_win32.cc; the build picks one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

namespace plat {

// A file open on the system, a descriptor on POSIX and a HANDLE on Windows,
// whose value only the system's own side reads. It closes what it owns when
// it goes. Each call that fails leaves its reason for last_error_text().
class file {
 public:
  using native = std::intptr_t;
  file() = default;
  explicit file(native value) : value_(value) {}
  file(file&& other) noexcept : value_(other.value_) { other.value_ = k_none; }
  file& operator=(file&& other) noexcept {
    std::swap(value_, other.value_);
    return *this;
  }
  file(const file&) = delete;
  file& operator=(const file&) = delete;
  ~file() { close(); }

  bool is_open() const { return value_ != k_none; }
  native get() const { return value_; }
  // Positional I/O; each returns the number of bytes moved or -1 on error.
  long read_at(void* buf, std::size_t n, std::uint64_t off) const;
  long write_at(const void* buf, std::size_t n, std::uint64_t off) const;
  // Flushes what was written to stable storage.
  bool sync() const;
  // Closes now; true when it was not open.
  bool close();

 private:
  static constexpr native k_none = -1;  // no descriptor, INVALID_HANDLE_VALUE
  native value_ = k_none;
};

// Result of opening an image. An image is in use while another run holds it,
// or another program keeps it from being opened (why then says how). An
// image to be changed must have one name: a symbolic link (why: what it
// points to) or a file with other hard links is refused. A file system that
// cannot change a file in place refuses to open one for update.
enum class open_status {
  ok,
  cannot_open,
  not_regular,
  in_use,
  symbolic_link,
  other_names,
  no_update_in_place
};

// What a run does with the image: only read it (the listing), or change it.
enum class open_mode { read, update };

struct open_result {
  open_status status = open_status::cannot_open;
  file image;            // open when status is ok
  file hold;             // keeps other runs out until closed; not open for none
  std::uint64_t size{};  // file size, valid when status is ok
  std::string why;       // the system's reason, when the status has one
};

// Opens an existing regular file, for reading only or for reading and
// writing; never creates or truncates. What the path names is looked at
// first: nothing else (a device, a FIFO, a folder) is ever opened, nothing
// with another name is opened for writing, and the file opened must be the
// one looked at. A run that changes the image holds
// it alone; runs that only read it may share it with each other. The hold
// outlasts the image's own file, so that it covers the rename after the
// image is closed.
open_result open_image(const std::string& path, open_mode mode);

// Text of the last system error of this thread (errno or GetLastError).
std::string last_error_text();

// True when the last error says that the file system cannot change a file in
// place: a read or write of a file open for update refused as unsupported
// or not permitted.
bool refused_in_place();

// What a call that may fail did: ok, or the system's reason.
struct outcome {
  bool ok = true;
  std::string why;
};

// Renames from -> to, failing when `to` exists. Where the file system
// refuses to rename a file that is open (some shares), `hold` is closed
// first, letting other runs have the image for the rename.
outcome rename_no_replace(const std::string& from, const std::string& to, file& hold);

// Makes a rename that ended at `path` last across a power cut.
outcome sync_folder_of(const std::string& path);

// The local date now: month (1-12) and day of the month.
struct month_day {
  int month;
  int day;
};
month_day local_month_day();

// True for the characters that separate directories in a path.
bool is_path_separator(char c);

// True where the file system counts the length of a name in UTF-16 units
// (Windows), false where it counts bytes.
bool utf16_names();

// Writes console text (UTF-8). In a Windows console it goes out as wide
// characters, so that a name outside the console's code page shows as it
// is; everywhere else, a pipe or a file included, the bytes go as they are.
void write_text(std::FILE* f, const std::string& text);

// Puts the standard streams into binary mode where the platform has a text mode.
void set_binary_console();

}  // namespace plat

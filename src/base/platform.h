// The operating system's side of the tool: opening the image, positional
// I/O, flushing to stable storage, the no-replace rename and the local date.
// Everything that differs between POSIX and Windows lives behind this seam,
// in platform_posix.cc and platform_win32.cc; the build picks one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace plat {

// Result of opening an image. An image is in use while another run holds it.
enum class open_status { ok, cannot_open, not_regular, in_use };

// What a run does with the image: only read it (the listing), or change it.
enum class open_mode { read, update };

struct open_result {
  open_status status = open_status::cannot_open;
  int fd{};              // the open descriptor, valid when status is ok
  int hold = -1;         // keeps other runs out until released; -1 for none
  std::uint64_t size{};  // file size, valid when status is ok
  std::string why;       // the system's reason, when status is cannot_open
};

// Opens an existing regular file, for reading only or for reading and
// writing; never creates or truncates. What the path names is looked at
// first: nothing else (a device, a FIFO, a folder) is ever opened, and the
// file opened must be the one looked at. A run that changes the image holds
// it alone; runs that only read it may share it with each other. The hold
// outlasts the descriptor, so that it covers the rename after the image is
// closed.
open_result open_image(const std::string& path, open_mode mode);

// Lets other runs have the image again.
void release_hold(int hold);

// Positional I/O; each returns the number of bytes moved or -1 on error.
long pread_at(int fd, void* buf, std::size_t n, std::uint64_t off);
long pwrite_at(int fd, const void* buf, std::size_t n, std::uint64_t off);
bool sync_fd(int fd);
bool close_fd(int fd);

// Text of the last system error of this thread (errno or GetLastError).
std::string last_error_text();

// Renames from -> to, failing when `to` exists. On failure returns false and
// leaves the description of the error in *why.
bool rename_no_replace(const std::string& from, const std::string& to, std::string* why);

// Makes a rename that ended at `path` last across a power cut; false with
// the reason in *why when the system refuses.
bool sync_folder_of(const std::string& path, std::string* why);

// Month (1-12) and day of the month of the local date now.
void local_month_day(int* month, int* day);

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

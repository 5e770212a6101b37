// The POSIX side of the platform seam.
#include "base/platform_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "base/platform.h"

// A 32-bit program without 64-bit file offsets, inode numbers and times
// fails stat on a file numbered above 2^32 or dated after 2038, and its clock
// ends in 2038: CMakeLists.txt asks the C library for them.
static_assert(sizeof(off_t) == 8 && sizeof(ino_t) == 8, "build with -D_FILE_OFFSET_BITS=64");
static_assert(sizeof(std::time_t) == 8, "build with -D_TIME_BITS=64");

namespace plat {

namespace {

// Moves a descriptor that took the place of a closed standard stream above
// them: console text would otherwise be written into the image and answers
// read from it. The descriptor given is closed; -1 when no other is free.
int above_standard_streams(int fd) {
  if (fd < 0 || fd > STDERR_FILENO) return fd;
  const int above = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  const int error = errno;
  ::close(fd);
  errno = error;
  return above;
}

bool same_file(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

open_result posix::open_image_with(stat_fn look, const std::string& path, open_mode mode) {
  open_result r;
  const auto refuse = [&r](open_status status) {
    if (status == open_status::cannot_open) r.why = std::strerror(errno);
    r.status = status;
    return r;
  };
  // Opening is not harmless for everything a path can name: a device may
  // start (a watchdog arms, a tape rewinds when closed), a FIFO waits for a
  // writer. So only a regular file is opened, without waiting in case it was
  // swapped for a FIFO meanwhile, and it must still be the file looked at.
  struct stat named {};
  if (look(path.c_str(), &named) != 0) return refuse(open_status::cannot_open);
  if (!S_ISREG(named.st_mode)) return refuse(open_status::not_regular);
  const int access = mode == open_mode::update ? O_RDWR : O_RDONLY;
  const int fd =
      above_standard_streams(::open(path.c_str(), access | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
  if (fd < 0) return refuse(open_status::cannot_open);
  struct stat st {};
  open_status status = open_status::cannot_open;
  // Another file put in its place meanwhile: the image is being changed.
  if (::fstat(fd, &st) == 0) {
    status = !S_ISREG(st.st_mode)    ? open_status::not_regular
             : !same_file(st, named) ? open_status::in_use
                                     : posix::hold_image(fd, st, path, mode, &r.hold);
  }
  if (status != open_status::ok) {
    refuse(status);
    ::close(fd);
    return r;
  }
  r.status = status;
  r.fd = fd;
  r.size = static_cast<std::uint64_t>(st.st_size);
  return r;
}

open_result open_image(const std::string& path, open_mode mode) {
  return posix::open_image_with(::stat, path, mode);
}

long pread_at(int fd, void* buf, std::size_t n, std::uint64_t off) {
  return static_cast<long>(::pread(fd, buf, n, static_cast<off_t>(off)));
}

long pwrite_at(int fd, const void* buf, std::size_t n, std::uint64_t off) {
  return static_cast<long>(::pwrite(fd, buf, n, static_cast<off_t>(off)));
}

void release_hold(int hold) {
  if (hold >= 0) ::close(hold);
}

bool sync_fd(int fd) { return ::fsync(fd) == 0; }
bool close_fd(int fd) { return ::close(fd) == 0; }

std::string last_error_text() { return std::strerror(errno); }

namespace {

// renameat2(RENAME_NOREPLACE) through the raw system call, so that an older C
// library without the wrapper still gets it.
int rename_noreplace_syscall(const char* from, const char* to) {
#if defined(SYS_renameat2)
  constexpr unsigned k_rename_noreplace = 1U;
  return static_cast<int>(
      ::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, k_rename_noreplace));
#else
  errno = ENOSYS;
  return -1;
#endif
}

// The folder that holds `path`, with its trailing slash; "." for a bare name.
std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

// True when no file has the name; otherwise false with errno saying why
// (EEXIST when one has).
bool name_free(const std::string& name) {
  struct stat st {};
  if (::lstat(name.c_str(), &st) == 0) return errno = EEXIST, false;
  return errno == ENOENT;
}

// Locks the folder open at `folder` for this run alone. Another run holds it
// only for the instant of its rename, so a held folder is tried again every
// 10 ms; one still held after a second (by some other program) is a refusal
// with EWOULDBLOCK, never a wait without end.
bool lock_folder(posix::lock_fn lock, int folder) {
  constexpr int k_tries = 100;
  constexpr timespec k_pause{0, 10'000'000};
  for (int tried = 1; lock(folder, LOCK_EX | LOCK_NB) != 0; ++tried) {
    if (errno != EWOULDBLOCK || tried == k_tries) return false;
    ::nanosleep(&k_pause, nullptr);
  }
  return true;
}

// A rename where the file system has neither the no-replace flag nor hard
// links (FAT, exFAT): every run that renames there does so under an exclusive
// lock on the folder, so no other run can take the new name between the
// check that it is free and the plain rename. A run killed meanwhile leaves
// the image under one of its names, as the rename is atomic, and its lock
// goes with it. A folder that cannot be locked is a refusal: an unguarded
// rename could replace the image of a run racing for the same name.
bool rename_in_locked_folder(posix::lock_fn lock, const std::string& from, const std::string& to,
                             std::string* why) {
  const int folder = ::open(folder_of(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const bool ok = folder >= 0 && lock_folder(lock, folder) && name_free(to) &&
                  ::rename(from.c_str(), to.c_str()) == 0;
  if (!ok) *why = std::strerror(errno);
  if (folder >= 0) ::close(folder);
  return ok;
}

}  // namespace

namespace posix {

open_status hold_image(int fd, const struct stat& opened, const std::string& path, open_mode mode,
                       int* hold, lock_fn lock) {
  // Runs that only read the image share it; a run that changes it has it alone.
  const int kind = mode == open_mode::update ? LOCK_EX : LOCK_SH;
  if (lock(fd, kind | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) return open_status::in_use;
    // A file system without locks (some network shares) leaves the image
    // unheld, as images were before runs held them.
    return errno == ENOLCK || errno == EOPNOTSUPP ? open_status::ok : open_status::cannot_open;
  }
  // The run that held the image may have renamed it after this run opened
  // it: the path must still name the file that is now held.
  struct stat named {};
  if (::stat(path.c_str(), &named) != 0 || !same_file(named, opened)) return open_status::in_use;
  // The lock belongs to the open file, so a second descriptor keeps it.
  *hold = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  return *hold < 0 ? open_status::cannot_open : open_status::ok;
}

bool rename_no_replace_with(rename2_fn rename2, const std::string& from, const std::string& to,
                            std::string* why, rename2_fn link, lock_fn lock, unlink_fn unlink) {
  if (rename2(from.c_str(), to.c_str()) == 0) return true;
  const auto unsupported = [] { return errno == ENOSYS || errno == EOPNOTSUPP; };
  if (errno == EINVAL || unsupported()) {
    // The file system does not know the flag: a hard link fails on an
    // existing target, so link and unlink give the same guarantee.
    if (link(from.c_str(), to.c_str()) == 0) {
      if (unlink(from.c_str()) == 0) return true;
      // The image keeps one name, its old one.
      const int error = errno;
      unlink(to.c_str());
      errno = error;
    } else if (errno == EPERM || unsupported()) {
      return rename_in_locked_folder(lock, from, to, why);
    }
  }
  *why = std::strerror(errno);
  return false;
}

bool sync_folder_with(sync_fn sync, const std::string& path, std::string* why) {
  const int fd = ::open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // EINVAL and EBADF: the file system cannot flush a folder at all (some
  // FUSE and network ones). EACCES and EPERM: the folder may be written but
  // not read (a drop box), so this run cannot open it to flush it. Either way
  // the rename is done and as lasting as this run can make it.
  const bool ok = fd >= 0 ? sync(fd) == 0 || errno == EINVAL || errno == EBADF
                          : errno == EACCES || errno == EPERM;
  if (!ok) *why = std::strerror(errno);
  if (fd >= 0) ::close(fd);
  return ok;
}

}  // namespace posix

bool rename_no_replace(const std::string& from, const std::string& to, std::string* why) {
  return posix::rename_no_replace_with(rename_noreplace_syscall, from, to, why);
}

// A rename lasts once the folder that holds the file has reached the disk.
bool sync_folder_of(const std::string& path, std::string* why) {
  return posix::sync_folder_with(::fsync, path, why);
}

void local_month_day(int* month, int* day) {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  *month = tm.tm_mon + 1;
  *day = tm.tm_mday;
}

bool is_path_separator(char c) { return c == '/'; }
bool utf16_names() { return false; }
// A console that cannot be written is nothing the tool could report.
void write_text(std::FILE* f, const std::string& text) {
  static_cast<void>(std::fwrite(text.data(), 1, text.size(), f));
}

void set_binary_console() {}

}  // namespace plat

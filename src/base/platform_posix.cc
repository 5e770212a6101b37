// The POSIX side of the platform seam.
#include "base/platform_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
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

// The folder that holds `path`, with its trailing slash; "." for a bare name.
std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

// What another program holds for a moment (a lease, a folder lock) is tried
// again every 10 ms, for up to a second: never a wait without end.
constexpr int k_tries = 100;
constexpr timespec k_pause{0, 10'000'000};

// Opens `path`. An open refused because another program holds a lease on the
// file (an NFS server for a client's delegation, Samba for an oplock) has
// asked it to let go, so it is tried again; -1 with errno when it fails.
int open_leased(posix::path_open_fn open, const std::string& path, int flags) {
  for (int tried = 1;; ++tried) {
    const int fd = above_standard_streams(open(path.c_str(), flags));
    if (fd >= 0 || errno != EWOULDBLOCK || tried == k_tries) return fd;
    ::nanosleep(&k_pause, nullptr);
  }
}

// Locks the folder open at `folder` (`kind`: LOCK_EX or LOCK_SH). Another run
// holds it only for its rename, so a held folder is waited for; one still
// held after a second (by some other program) is a refusal with EWOULDBLOCK.
bool lock_folder(posix::fd_op_fn lock, int folder, int kind) {
  for (int tried = 1; lock(folder, kind | LOCK_NB) != 0; ++tried) {
    if (errno != EWOULDBLOCK || tried == k_tries) return false;
    ::nanosleep(&k_pause, nullptr);
  }
  return true;
}

// A run whose file system refuses to rename an open image lets go of its
// hold under an exclusive lock on the folder, just before its rename
// (rename_in_locked_folder), and keeps that lock for at most a second more.
// A run that is to change an image holds a shared lock on the folder from
// before it opens the image until it holds the image: it waits for such a
// rename, then finds the image gone, and never keeps the image open, on a
// share that will not rename an open file, while that run tries to rename it.
file wait_for_renames(const std::string& path) {
  file folder(::open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.is_open()) lock_folder(::flock, static_cast<int>(folder.get()), LOCK_SH);
  return folder;
}

// A file with two names may be the image of a run that renames it through a
// hard link (where the file system has no no-replace rename): that run holds
// it, which a shared lock finds without opening it for writing, or has
// renamed it away. Otherwise the file has another name.
open_status other_names_unless_renaming(const std::string& path) {
  const file look(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
  const bool renaming =
      !look.is_open() ||
      (::flock(static_cast<int>(look.get()), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK);
  return renaming ? open_status::in_use : open_status::other_names;
}

// Opens and holds the image into `r`: the status, and where it has one, its
// reason in r.why.
open_status open_and_hold(posix::path_stat_fn look, posix::path_open_fn open,
                          const std::string& path, open_mode mode, open_result& r) {
  const auto because = [&r](open_status status) {
    r.why = std::strerror(errno);
    return status;
  };
  const bool update = mode == open_mode::update;
  // Opening is not harmless for everything a path can name: a device may
  // start (a watchdog arms, a tape rewinds when closed), a FIFO waits for a
  // writer. So only a regular file is opened, without waiting in case it was
  // swapped for a FIFO meanwhile, and it must still be the file looked at.
  // An image to be changed is looked at itself, not through a link, and is
  // refused when it has another name, which would change with it and keep
  // the old text under the name that was meant to tell the two apart.
  struct stat named {};
  if (look(path.c_str(), &named) != 0) return because(open_status::cannot_open);
  if (S_ISLNK(named.st_mode)) {
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    r.why = target.substr(0, n > 0 ? static_cast<std::size_t>(n) : 0);
    return open_status::symbolic_link;
  }
  if (!S_ISREG(named.st_mode)) return open_status::not_regular;
  if (update && named.st_nlink > 1) return other_names_unless_renaming(path);
  const file folder = update ? wait_for_renames(path) : file();
  const int access = update ? O_RDWR | O_NOFOLLOW : O_RDONLY;
  r.image = file(open_leased(open, path, access | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
  if (!r.image.is_open()) {
    return because(errno == EWOULDBLOCK            ? open_status::in_use
                   : update && errno == EOPNOTSUPP ? open_status::no_update_in_place
                                                   : open_status::cannot_open);
  }
  const int fd = static_cast<int>(r.image.get());
  struct stat st {};
  if (::fstat(fd, &st) != 0) return because(open_status::cannot_open);
  if (!S_ISREG(st.st_mode)) return open_status::not_regular;
  // Another file put in its place meanwhile: the image is being changed.
  if (!same_file(st, named)) return open_status::in_use;
  posix::held held = posix::hold_image(fd, st, path, mode);
  if (held.status == open_status::cannot_open) return because(held.status);
  r.hold = std::move(held.hold);
  r.size = static_cast<std::uint64_t>(st.st_size);
  return held.status;
}

}  // namespace

open_result posix::open_image_with(path_stat_fn look, const std::string& path, open_mode mode,
                                   path_open_fn open) {
  open_result r;
  r.status = open_and_hold(look, open, path, mode, r);
  if (r.status != open_status::ok) r.image.close();  // a refusal leaves nothing open
  return r;
}

open_result open_image(const std::string& path, open_mode mode) {
  return posix::open_image_with(mode == open_mode::update ? ::lstat : ::stat, path, mode);
}

long file::read_at(void* buf, std::size_t n, std::uint64_t off) const {
  return static_cast<long>(::pread(static_cast<int>(value_), buf, n, static_cast<off_t>(off)));
}

long file::write_at(const void* buf, std::size_t n, std::uint64_t off) const {
  return static_cast<long>(::pwrite(static_cast<int>(value_), buf, n, static_cast<off_t>(off)));
}

bool file::sync() const { return ::fsync(static_cast<int>(value_)) == 0; }

// The descriptor is let go whatever close says (Linux frees it even then).
bool file::close() {
  if (!is_open()) return true;
  const int fd = static_cast<int>(value_);
  value_ = k_none;
  return ::close(fd) == 0;
}

std::string last_error_text() { return std::strerror(errno); }

// An rclone mount without a write cache opens a file for update but refuses
// every read and write of it.
bool refused_in_place() { return errno == EPERM || errno == EOPNOTSUPP; }

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

// True when no file has the name; otherwise false with errno saying why
// (EEXIST when one has).
bool name_free(const std::string& name) {
  struct stat st {};
  if (::lstat(name.c_str(), &st) == 0) return errno = EEXIST, false;
  return errno == ENOENT;
}

// The system's reason for the failure that errno names.
outcome failed() { return {false, std::strerror(errno)}; }

// A rename under an exclusive lock on the folder, `move` tried once each
// time. Where the file system has neither the no-replace flag nor hard links
// (FAT, exFAT), every run that renames there does so under this lock, so no
// other run can take the new name between the check that it is free and the
// plain rename. Where it refuses to rename an open file (EBUSY: a Samba share
// read through libsmbclient), the run closes its hold and tries again; the
// folder lock keeps a run that comes for the image meanwhile from opening it
// until the rename is done (wait_for_renames). A run killed meanwhile leaves the image
// under one of its names, as the rename is atomic, and its lock goes with it.
// A folder that cannot be locked is a refusal: an unguarded rename could
// replace the image of a run racing for the same name.
template <class Move>
outcome rename_in_locked_folder(posix::fd_op_fn lock, Move move, const std::string& to,
                                file& hold) {
  const file folder(::open(folder_of(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.is_open() || !lock_folder(lock, static_cast<int>(folder.get()), LOCK_EX)) {
    return failed();
  }
  for (int tried = 1; !move(); ++tried) {
    if (errno != EBUSY || tried == k_tries) return failed();
    hold.close();
    ::nanosleep(&k_pause, nullptr);
  }
  return {};
}

}  // namespace

namespace posix {

held hold_image(int fd, const struct stat& opened, const std::string& path, open_mode mode,
                fd_op_fn lock) {
  // Runs that only read the image share it; a run that changes it has it alone.
  const int kind = mode == open_mode::update ? LOCK_EX : LOCK_SH;
  if (lock(fd, kind | LOCK_NB) != 0) {
    // A CIFS mount answers another client's lock with EACCES.
    if (errno == EWOULDBLOCK || errno == EACCES) return {open_status::in_use, file()};
    // A file system without locks (some network shares) leaves the image
    // unheld, as images were before runs held them.
    const bool unlocked = errno == ENOLCK || errno == EOPNOTSUPP;
    return {unlocked ? open_status::ok : open_status::cannot_open, file()};
  }
  // The run that held the image may have renamed it after this run opened
  // it: the path must still name the file that is now held.
  struct stat named {};
  if (::stat(path.c_str(), &named) != 0 || !same_file(named, opened)) {
    return {open_status::in_use, file()};
  }
  // A name given to the image after this run looked at it.
  if (kind == LOCK_EX && named.st_nlink > 1) return {open_status::other_names, file()};
  // The lock belongs to the open file, so a second descriptor keeps it.
  file hold(::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1));
  return {hold.is_open() ? open_status::ok : open_status::cannot_open, std::move(hold)};
}

outcome rename_no_replace_with(two_paths_fn rename2, const std::string& from, const std::string& to,
                               file& hold, two_paths_fn link, fd_op_fn lock, path_fn unlink) {
  const auto rename_once = [&] { return rename2(from.c_str(), to.c_str()) == 0; };
  if (rename_once()) return {};
  if (errno == EBUSY) return rename_in_locked_folder(lock, rename_once, to, hold);
  if (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
    // The file system does not know the flag: a hard link fails on an
    // existing target, so link and unlink give the same guarantee.
    if (link(from.c_str(), to.c_str()) == 0) {
      if (unlink(from.c_str()) == 0) return {};
      // The image keeps one name, its old one.
      const int error = errno;
      unlink(to.c_str());
      errno = error;
    } else if (errno != EEXIST) {
      // No hard links here, whatever the file system answers (EPERM, EIO).
      return rename_in_locked_folder(
          lock, [&] { return name_free(to) && ::rename(from.c_str(), to.c_str()) == 0; }, to, hold);
    }
  }
  return failed();
}

outcome sync_folder_with(fd_fn sync, const std::string& path) {
  const file folder(::open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // EINVAL and EBADF: the file system cannot flush a folder at all (some
  // FUSE and network ones). EACCES and EPERM: the folder may be written but
  // not read (a drop box), so this run cannot open it to flush it. Either way
  // the rename is done and as lasting as this run can make it.
  const bool ok = folder.is_open() ? sync(static_cast<int>(folder.get())) == 0 || errno == EINVAL ||
                                         errno == EBADF
                                   : errno == EACCES || errno == EPERM;
  return ok ? outcome{} : failed();
}

}  // namespace posix

outcome rename_no_replace(const std::string& from, const std::string& to, file& hold) {
  return posix::rename_no_replace_with(rename_noreplace_syscall, from, to, hold);
}

// A rename lasts once the folder that holds the file has reached the disk.
outcome sync_folder_of(const std::string& path) { return posix::sync_folder_with(::fsync, path); }

month_day local_month_day() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return {tm.tm_mon + 1, tm.tm_mday};
}

bool is_path_separator(char c) { return c == '/'; }
bool utf16_names() { return false; }
// A console that cannot be written is nothing the tool could report.
void write_text(std::FILE* f, const std::string& text) {
  static_cast<void>(std::fwrite(text.data(), 1, text.size(), f));
}

void set_binary_console() {}

}  // namespace plat

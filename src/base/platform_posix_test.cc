// The POSIX side of the platform seam, on the real system, in a scratch
// folder of this process.
#include "base/platform_posix.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "base/platform.h"

namespace {

namespace fs = std::filesystem;

const fs::path k_dir = fs::temp_directory_path() / ("dorvane_platform_" + std::to_string(getpid()));
const auto open_now = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); };

// The scratch folder holding the files given, by name and text, and no other.
void scratch_holds(std::initializer_list<std::pair<const char*, const char*>> files) {
  fs::remove_all(k_dir);
  fs::create_directory(k_dir);
  for (const auto& [name, text] : files) std::ofstream(k_dir / name) << text;
}

// Runs `f` with the standard stream `fd` closed, as the tool may be started;
// the stream's descriptor is then the lowest free one.
template <class F>
void with_closed(int fd, F f) {
  const int saved = dup(fd);
  close(fd);
  f();
  dup2(saved, fd);
  close(saved);
}

// Stand-ins for the calls under test: each fails with its error where one is
// set, else the link is made, and the lock taken without waiting.
int g_rename2_error = 0, g_link_error = 0, g_lock_error = 0, g_sync_error = 0, g_opens = 0;
template <int& error>
int link_as_set(const char* from, const char* to) {
  return error != 0 ? (errno = error, -1) : link(from, to);
}
int lock_as_set(int fd, int op) {
  return g_lock_error != 0 ? (errno = g_lock_error, -1) : flock(fd, op | LOCK_NB);
}
int sync_as_set(int /*fd*/) { return errno = g_sync_error, -1; }
int g_unlink_error = 0;  // for the old name only
int unlink_as_set(const char* path) {
  const bool old = fs::path(path).filename() == "board.img";
  return old && g_unlink_error != 0 ? (errno = g_unlink_error, -1) : unlink(path);
}

// One run at a time: an image is refused while another holds it, also once
// that one has closed its own descriptor, and when it was renamed away before
// the lock came; a refusal leaves no descriptor open. A file system without
// locks leaves the image unheld; any other failure to lock is a refusal.
// Neither the image nor its hold takes a closed standard stream's descriptor
// (the end-to-end rows close standard input and output).
TEST(Platform, ImageIsHeldForOneRunAtATime) {
  using plat::open_mode, plat::open_status;
  scratch_holds({{"board.img", "image"}});
  const std::string path = k_dir / "board.img", moved = k_dir / "moved.img";
  plat::open_result first{};
  with_closed(STDERR_FILENO, [&] { first = plat::open_image(path, open_mode::update); });
  ASSERT_EQ(first.status, open_status::ok);
  EXPECT_GT(std::min(first.image.get(), first.hold.get()), STDERR_FILENO);
  first.image.close();
  const auto open_before = open_now();
  EXPECT_EQ(plat::open_image(path, open_mode::update).status, open_status::in_use);
  EXPECT_EQ(open_now(), open_before);
  const int fd = open(path.c_str(), O_RDWR);
  struct stat st {};
  ASSERT_EQ(fstat(fd, &st), 0);
  fs::rename(path, moved);
  std::ofstream(path) << "another";
  first.hold.close();
  EXPECT_EQ(plat::posix::hold_image(fd, st, path, open_mode::update).status, open_status::in_use);
  // clang-format off
  const std::pair<int, open_status> fails[] = {
      {EWOULDBLOCK, open_status::in_use}, {EACCES, open_status::in_use}, {ENOLCK, open_status::ok},
      {EOPNOTSUPP, open_status::ok},      {EIO, open_status::cannot_open}};
  // clang-format on
  for (const auto& [error, status] : fails) {
    g_lock_error = error;
    const auto held = plat::posix::hold_image(fd, st, moved, open_mode::update, lock_as_set);
    EXPECT_EQ(held.status, status);
  }
  // A second name, given after the look or by a run that renames through a hard link and holds it.
  fs::create_hard_link(moved, k_dir / "keep.img");
  EXPECT_EQ(plat::posix::hold_image(fd, st, moved, open_mode::update).status,
            open_status::other_names);
  EXPECT_EQ(plat::open_image(moved, open_mode::update).status, open_status::in_use);
  for (const int e : {EPERM, EOPNOTSUPP, EIO})
    EXPECT_EQ((errno = e, plat::refused_in_place()), e != EIO);
  close(fd);
}

// A stand-in for the look at the path, after which a FIFO or another file takes its place.
int look_then_swap(const char* path, struct stat* st) {
  const int looked = stat(path, st);
  fs::rename(k_dir / "swap", path);
  return looked;
}

// An open refused as unsupported, as by a file system that cannot change a file in place.
int open_unsupported(const char*, int, ...) { return ++g_opens, errno = EOPNOTSUPP, -1; }

// Only a regular file is opened, and only the one looked at: a FIFO that takes its place
// meanwhile is refused without waiting for a writer, another file as one in use. An open refused
// as unsupported says why, and only an open for a change is a folder that cannot change in place;
// it is tried once. A file with another name is refused for a change before it is opened.
TEST(Platform, OpensOnlyTheFileLookedAt) {
  for (const bool fifo : {true, false}) {
    scratch_holds({{"board.img", "image"}, {"swap", "another"}});
    fs::remove(fifo ? k_dir / "swap" : k_dir / "none");
    ASSERT_TRUE(!fifo || mkfifo((k_dir / "swap").c_str(), 0600) == 0);
    EXPECT_EQ(
        plat::posix::open_image_with(look_then_swap, k_dir / "board.img", plat::open_mode::read)
            .status,
        fifo ? plat::open_status::not_regular : plat::open_status::in_use);
  }
  const auto open_to = [](plat::open_mode mode) {
    return plat::posix::open_image_with(stat, k_dir / "board.img", mode, open_unsupported);
  };
  EXPECT_EQ(open_to(plat::open_mode::update).why, "Operation not supported");
  EXPECT_EQ(open_to(plat::open_mode::update).status, plat::open_status::no_update_in_place);
  EXPECT_EQ(open_to(plat::open_mode::read).status, plat::open_status::cannot_open);
  fs::create_hard_link(k_dir / "board.img", k_dir / "keep.img");  // refused before any open
  EXPECT_EQ((errno = EWOULDBLOCK, open_to(plat::open_mode::update)).status,
            plat::open_status::other_names);
  EXPECT_EQ(g_opens, 3);
}

// A share that refuses to rename an open file: renameat2 answers EBUSY while the hold is open;
// once it is closed, another run comes for the image just before the rename.
plat::file g_hold;
std::thread g_other;
plat::open_status g_other_run{};
int busy_while_held(const char* from, const char* to) {
  if (g_hold.is_open()) return errno = EBUSY, -1;
  g_other = std::thread(
      [] { g_other_run = plat::open_image(k_dir / "board.img", plat::open_mode::update).status; });
  return usleep(100000), rename(from, to);
}

// The file's text, or "-" when there is none.
std::string text_of(const char* name) {
  std::ifstream f(k_dir / name);
  return f ? std::string(std::istreambuf_iterator<char>(f), {}) : "-";
}

// Where the file system refuses to rename the open image, the run closes its hold and renames
// then, under the folder's lock: another run that comes in that moment waits for the rename and
// finds the image gone.
TEST(Platform, RenameOfAnOpenImageLetsGoOfTheHold) {
  scratch_holds({{"board.img", "image"}});
  g_hold = plat::file(open((k_dir / "board.img").c_str(), O_RDONLY));
  plat::posix::rename_no_replace_with(busy_while_held, k_dir / "board.img", k_dir / "new.img",
                                      g_hold);
  g_other.join();
  EXPECT_EQ(text_of("board.img") + text_of("new.img"), "-image");
  EXPECT_EQ(g_other_run, plat::open_status::cannot_open);
}

// Where the file system does not know the no-replace flag, a link and an
// unlink rename; where it has no links either, a plain rename under a lock on
// the folder that a racing run cannot share. Neither ever replaces a file,
// and a folder that cannot be locked keeps the old name. Any other failure is
// the answer. Then the folder of a renamed image is flushed; one that the file
// system cannot flush at all (EINVAL, EBADF) is as flushed as it gets. A
// missing folder or another failure is named as the reason. No descriptor is
// left open, not even the one a closed standard input leaves free.
TEST(Platform, RenameNeverReplacesAFileAndLasts) {
  // The errors injected (0 for the real link and lock), whether another run holds the folder
  // (1: throughout; 2: lets it go after 0.2 s, within the second a rename waits), the new name's
  // text before, the old name's and the new one's after ("-" for none), the reason given, and
  // the error of removing the old name after a link (which takes the link back).
  // clang-format off
  struct { int rename2, link, lock, held; const char *taken, *files_after, *why; int unlink = 0; } const rows[] = {
      {EINVAL, 0, 0, false, "", "-image", ""}, {EOPNOTSUPP, 0, 0, false, "", "-image", ""},
      {ENOSYS, 0, 0, false, "other", "imageother", "File exists"}, {EACCES, 0, 0, false, "", "image-", "Permission denied"},
      {EINVAL, EPERM, 0, false, "", "-image", ""}, {ENOSYS, EOPNOTSUPP, 0, false, "other", "imageother", "File exists"},
      {EOPNOTSUPP, ENOSYS, ENOLCK, false, "", "image-", "No locks available"},
      {EINVAL, EPERM, 0, 1, "", "image-", "Resource temporarily unavailable"}, {EINVAL, EPERM, 0, 2, "", "-image", ""},
      {EINVAL, EIO, 0, false, "", "-image", ""}, {EINVAL, 0, 0, false, "", "image-", "Read-only file system", EROFS}};
  // clang-format on
  with_closed(STDIN_FILENO, [&] {
    const auto open_before = open_now();
    for (const auto& r : rows) {
      SCOPED_TRACE(std::to_string(r.rename2) + " " + std::to_string(r.link));
      scratch_holds({{"board.img", "image"}});
      if (*r.taken != '\0') std::ofstream(k_dir / "new.img") << r.taken;
      const int other = r.held != 0 ? open(k_dir.c_str(), O_RDONLY) : -1;
      flock(other, LOCK_SH);
      std::thread holder([&] {
        if (r.held == 2) usleep(200000), close(other);
      });
      g_rename2_error = r.rename2, g_link_error = r.link, g_lock_error = r.lock;
      g_unlink_error = r.unlink;
      EXPECT_EQ(plat::posix::rename_no_replace_with(
                    link_as_set<g_rename2_error>, k_dir / "board.img", k_dir / "new.img", g_hold,
                    link_as_set<g_link_error>, lock_as_set, unlink_as_set)
                    .why,
                r.why);
      holder.join();
      if (r.held != 2) close(other);
      EXPECT_EQ(text_of("board.img") + text_of("new.img"), r.files_after);
    }
    EXPECT_TRUE(plat::sync_folder_of(k_dir / "a.img").ok);
    const plat::outcome missing = plat::sync_folder_of(k_dir / "missing/a.img");
    plat::outcome synced;
    for (const int error : {EINVAL, EBADF, EIO}) {
      g_sync_error = error;
      synced = plat::posix::sync_folder_with(sync_as_set, k_dir / "a.img");
      EXPECT_EQ(synced.ok, error != EIO);
    }
    EXPECT_EQ(missing.why + ", " + synced.why, "No such file or directory, Input/output error");
    EXPECT_EQ(open_now(), open_before);
  });
  fs::remove_all(k_dir);
}

}  // namespace

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

int g_fail_with = 0;
int failing_lock(int /*fd*/, int /*operation*/) { return errno = g_fail_with, -1; }

// One run at a time: an image is refused while another holds it, also once
// that one has closed its own descriptor, and when it was renamed away before
// the lock came; a refusal leaves no descriptor open. A file system without
// locks leaves the image unheld; any other failure to lock is a refusal.
// Neither the image nor its hold takes a closed standard stream's descriptor
// (the end-to-end rows close standard input and output).
TEST(Platform, ImageIsHeldForOneRunAtATime) {
  using plat::open_status;
  scratch_holds({{"board.img", "image"}});
  const std::string path = k_dir / "board.img";
  plat::open_result first{};
  with_closed(STDERR_FILENO, [&] { first = plat::open_for_update(path); });
  ASSERT_EQ(first.status, open_status::ok);
  EXPECT_GT(std::min(first.fd, first.hold), STDERR_FILENO);
  close(first.fd);
  const auto open_before = open_now();
  EXPECT_EQ(plat::open_for_update(path).status, open_status::in_use);
  EXPECT_EQ(open_now(), open_before);
  const int fd = open(path.c_str(), O_RDWR);
  struct stat st {};
  ASSERT_EQ(fstat(fd, &st), 0);
  fs::rename(path, k_dir / "moved.img");
  plat::release_hold(first.hold);
  int hold = -1;
  EXPECT_EQ(plat::posix::hold_image(fd, st, path, &hold), open_status::in_use);
  // clang-format off
  const std::pair<int, open_status> fails[] = {
      {EWOULDBLOCK, open_status::in_use}, {ENOLCK, open_status::ok},
      {EOPNOTSUPP, open_status::ok},      {EIO, open_status::cannot_open}};
  // clang-format on
  for (const auto& [error, status] : fails) {
    g_fail_with = error;
    EXPECT_EQ(plat::posix::hold_image(fd, st, k_dir / "moved.img", &hold, failing_lock), status);
  }
  EXPECT_EQ(hold, -1);
  EXPECT_EQ(plat::posix::hold_image(fd, st, k_dir / "moved.img", &hold), open_status::ok);
  close(fd);
  plat::release_hold(hold);
}

// The file's text, or "-" when there is none.
std::string text_of(const char* name) {
  std::ifstream f(k_dir / name);
  return f ? std::string(std::istreambuf_iterator<char>(f), {}) : "-";
}

int failing_rename2(const char* /*from*/, const char* /*to*/) { return errno = g_fail_with, -1; }

// Where the file system does not know the no-replace flag, a link and an
// unlink rename, and never replace a file; any other failure is the answer.
TEST(Platform, RenameWithoutTheFlagNeverReplacesAFile) {
  struct {
    int fail_with;
    const char *taken, *files_after, *why;  // the old name's text and the new one's, "-" for none
  } const rows[] = {{EINVAL, "", "-image", ""},
                    {EOPNOTSUPP, "", "-image", ""},
                    {ENOSYS, "other", "imageother", "File exists"},
                    {EACCES, "", "image-", "Permission denied"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.fail_with);
    scratch_holds({{"board.img", "image"}});
    if (*r.taken != '\0') std::ofstream(k_dir / "new.img") << r.taken;
    std::string why;
    g_fail_with = r.fail_with;
    EXPECT_EQ(plat::posix::rename_no_replace_with(failing_rename2, k_dir / "board.img",
                                                  k_dir / "new.img", &why),
              *r.why == '\0');
    EXPECT_EQ(why, r.why);
    EXPECT_EQ(text_of("board.img") + text_of("new.img"), r.files_after);
  }
}

// The folder of a renamed image is flushed; a missing one is named as the
// reason. No descriptor is left open, not even the one a closed standard
// input leaves free.
TEST(Platform, SyncFolderFlushesTheFolderOfThePath) {
  scratch_holds({});
  std::string why;
  with_closed(STDIN_FILENO, [&] {
    const auto open_before = open_now();
    EXPECT_TRUE(plat::sync_folder_of(k_dir / "a.img", &why));
    EXPECT_FALSE(plat::sync_folder_of(k_dir / "missing/a.img", &why));
    EXPECT_EQ(open_now(), open_before);
  });
  EXPECT_EQ(why, "No such file or directory");
  fs::remove_all(k_dir);
}

}  // namespace

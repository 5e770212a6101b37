// The POSIX side of the platform seam, on the real system.
#include "base/platform_posix.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "base/platform.h"

namespace {

// A scratch folder, removed with what it holds.
struct scratch {
  std::string dir;
  scratch() {
    char name[] = "/tmp/dorvane_platform_XXXXXX";
    dir = mkdtemp(name) != nullptr ? name : "";
  }
  ~scratch() { std::filesystem::remove_all(dir); }
  scratch(const scratch&) = delete;
  scratch& operator=(const scratch&) = delete;

  std::string put(const std::string& name, const std::string& text) const {
    std::ofstream(dir + "/" + name) << text;
    return dir + "/" + name;
  }
  // The file's text, or "-" when there is none.
  std::string text(const std::string& name) const {
    std::ifstream f(dir + "/" + name);
    std::ostringstream s;
    s << f.rdbuf();
    return f ? s.str() : "-";
  }
};

// How many descriptors the process has open.
std::ptrdiff_t open_descriptors() {
  const std::filesystem::directory_iterator fds("/proc/self/fd");
  return std::distance(begin(fds), end(fds));
}

// Runs `body` with the standard stream `fd` closed; true when it was still
// closed afterwards.
template <typename F>
bool with_closed(int fd, F body) {
  const int saved = fcntl(fd, F_DUPFD_CLOEXEC, 10);
  close(fd);
  body();
  const bool still_closed = fcntl(fd, F_GETFD) == -1;
  dup2(saved, fd);
  close(saved);
  return still_closed;
}

// A standard stream closed at the start leaves its descriptor free; the
// image never takes it.
TEST(OpenForUpdate, LeavesAClosedStandardStreamAlone) {
  const scratch s;
  const std::string path = s.put("board.img", "image");
  for (int stream = STDIN_FILENO; stream <= STDERR_FILENO; ++stream) {
    plat::open_result r;
    EXPECT_TRUE(with_closed(stream, [&] { r = plat::open_for_update(path); })) << stream;
    EXPECT_EQ(r.status, plat::open_status::ok) << stream;
    EXPECT_GT(r.fd, STDERR_FILENO) << stream;
    if (r.status == plat::open_status::ok) close(r.fd);
  }
}

int g_fail_with = 0;
int failing_rename2(const char* /*from*/, const char* /*to*/) {
  errno = g_fail_with;
  return -1;
}

// A rename never replaces a file: with the system call, or with a link and
// an unlink where the file system does not know its flag. Any other failure
// of the call is the answer.
TEST(RenameNoReplace, NeverReplacesAFile) {
  struct row {
    int fail_with;  // 0: the system call itself
    bool taken;     // the new name is taken
    bool renamed;
    std::string why;
  };
  const row rows[] = {
      {0, false, true, ""},          {0, true, false, "File exists"},
      {EINVAL, false, true, ""},     {ENOSYS, true, false, "File exists"},
      {EOPNOTSUPP, false, true, ""}, {EACCES, false, false, "Permission denied"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(std::to_string(r.fail_with) + (r.taken ? " taken" : " free"));
    const scratch s;
    const std::string from = s.put("board.img", "image");
    const std::string to = r.taken ? s.put("new.img", "other") : s.dir + "/new.img";
    std::string why;
    g_fail_with = r.fail_with;
    const bool renamed = r.fail_with == 0
                             ? plat::rename_no_replace(from, to, &why)
                             : plat::posix::rename_no_replace_with(failing_rename2, from, to, &why);
    EXPECT_EQ(renamed, r.renamed);
    EXPECT_EQ(why, r.why);
    EXPECT_EQ(s.text("board.img"), r.renamed ? "-" : "image");
    EXPECT_EQ(s.text("new.img"), r.renamed ? "image" : r.taken ? "other" : "-");
  }
}

// The folder of a renamed image is flushed, the current one for a bare
// name; a missing folder is named as the reason. No descriptor is left
// open, and a closed standard input is no obstacle.
TEST(SyncFolder, FlushesTheFolderOfThePath) {
  const scratch s;
  const std::ptrdiff_t open_before = open_descriptors();
  std::string why;
  EXPECT_TRUE(plat::sync_folder_of(s.dir + "/a.img", &why));
  EXPECT_TRUE(plat::sync_folder_of("a.img", &why));
  EXPECT_FALSE(plat::sync_folder_of(s.dir + "/missing/a.img", &why));
  EXPECT_EQ(why, "No such file or directory");
  bool synced = false;
  EXPECT_TRUE(with_closed(STDIN_FILENO, [&] { synced = plat::sync_folder_of("a.img", &why); }));
  EXPECT_TRUE(synced);
  EXPECT_EQ(open_descriptors(), open_before);
}

}  // namespace
